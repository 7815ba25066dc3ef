// A shared library loaded at run time, so that the program starts where it is missing.
#pragma once

#include <dlfcn.h>

class SharedLibrary {
  public:
    // Bound lazily: only the few functions the program calls are ever resolved.
    explicit SharedLibrary(const char *soname) : handle_(dlopen(soname, RTLD_LAZY | RTLD_LOCAL)) {}
    ~SharedLibrary() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    SharedLibrary(const SharedLibrary &) = delete;
    SharedLibrary &operator=(const SharedLibrary &) = delete;

    bool loaded() const { return handle_ != nullptr; }

    // The address of the named symbol; null when it or the library is missing.
    void *symbol(const char *name) const {
        return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
    }

    // Points `slot` at the named function, declared with its real type; false when missing.
    template <typename Function> bool load(Function *&slot, const char *name) const {
        // POSIX guarantees that an address from dlsym converts to a function pointer.
        slot = reinterpret_cast<Function *>(symbol(name));
        return slot != nullptr;
    }

  private:
    void *handle_;
};
