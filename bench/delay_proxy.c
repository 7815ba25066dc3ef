/* An X11 proxy that holds every reply from the server for a fixed delay, as a slow link
 * (ssh -X, a remote X server) would: a client's wall time through it, less its wall time
 * without it, divided by the delay, is the number of round trips the client waits for.
 * usage: delay_proxy SERVER_SOCKET LISTEN_SOCKET DELAY_MS
 * Serves one client after another, each in a process of its own, until it is killed. */
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

enum { max_chunks = 4096, chunk_size = 65536 };

struct chunk {
    double due;
    size_t length;
    char *bytes;
};

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static int unix_socket(const char *path, int listening) {
    struct sockaddr_un address = {.sun_family = AF_UNIX};
    strncpy(address.sun_path, path, sizeof address.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) {
        return -1;
    }
    if (listening) {
        unlink(path);
        if (bind(fd, (struct sockaddr *)&address, sizeof address) != 0 || listen(fd, 16) != 0) {
            return -1;
        }
    } else if (connect(fd, (struct sockaddr *)&address, sizeof address) != 0) {
        return -1;
    }
    return fd;
}

static int write_all(int fd, const char *bytes, size_t length) {
    while (length > 0) {
        const ssize_t count = write(fd, bytes, length);
        if (count <= 0) {
            return -1;
        }
        bytes += count;
        length -= (size_t)count;
    }
    return 0;
}

/* Client to server at once; server to client each chunk `delay` ms after it arrived. */
static void relay(int client, int server, double delay) {
    static struct chunk queue[max_chunks];
    size_t head = 0, tail = 0;
    for (;;) {
        int timeout = -1;
        if (head != tail) {
            const double wait = queue[head].due - now_ms();
            timeout = wait > 0 ? (int)wait + 1 : 0;
        }
        struct pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (poll(fds, 2, timeout) < 0 && errno != EINTR) {
            return;
        }
        while (head != tail && queue[head].due <= now_ms()) {
            if (write_all(client, queue[head].bytes, queue[head].length) != 0) {
                return;
            }
            free(queue[head].bytes);
            head = (head + 1) % max_chunks;
        }
        char buffer[chunk_size];
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            const ssize_t count = read(client, buffer, sizeof buffer);
            if (count <= 0 || write_all(server, buffer, (size_t)count) != 0) {
                return;
            }
        }
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            const ssize_t count = read(server, buffer, sizeof buffer);
            if (count <= 0 || (tail + 1) % max_chunks == head) {
                return;
            }
            queue[tail] = (struct chunk){now_ms() + delay, (size_t)count, malloc((size_t)count)};
            memcpy(queue[tail].bytes, buffer, (size_t)count);
            tail = (tail + 1) % max_chunks;
        }
    }
}

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s SERVER_SOCKET LISTEN_SOCKET DELAY_MS\n", argv[0]);
        return 2;
    }
    signal(SIGCHLD, SIG_IGN); /* the relays reap themselves */
    signal(SIGPIPE, SIG_IGN);
    const int listener = unix_socket(argv[2], 1);
    if (listener < 0) {
        perror("delay_proxy");
        return 1;
    }
    const double delay = atof(argv[3]);
    for (;;) {
        const int client = accept(listener, NULL, NULL);
        if (client < 0) {
            continue;
        }
        if (fork() == 0) {
            const int server = unix_socket(argv[1], 0);
            if (server >= 0) {
                relay(client, server, delay);
            }
            _exit(0);
        }
        close(client);
    }
}
