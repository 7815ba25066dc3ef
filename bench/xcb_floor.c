/* The floor of any X client that loads libxcb at run time: it loads the library, connects to
 * the default display and disconnects, and does nothing else. */
#include <dlfcn.h>
#include <stddef.h>

typedef void *(*connect_function)(const char *, int *);
typedef void (*disconnect_function)(void *);

int main(void) {
    void *library = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (library == NULL) {
        return 1;
    }
    connect_function connect = (connect_function)dlsym(library, "xcb_connect");
    disconnect_function disconnect = (disconnect_function)dlsym(library, "xcb_disconnect");
    if (connect == NULL || disconnect == NULL) {
        return 1;
    }
    int screen = 0;
    disconnect(connect(NULL, &screen));
    return 0;
}
