// A shared library loaded at run time, so that the program starts where it is missing.
#pragma once

#include <dlfcn.h>

class SharedLibrary {
  public:
    explicit SharedLibrary(const char *soname) : handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
    ~SharedLibrary() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    SharedLibrary(const SharedLibrary &) = delete;
    SharedLibrary &operator=(const SharedLibrary &) = delete;

    bool loaded() const { return handle_ != nullptr; }

    // The named function as a pointer of the declared function's type; null when missing.
    template <typename Function> Function *function(const char *name) const {
        if (handle_ == nullptr) {
            return nullptr;
        }
        // POSIX guarantees that a data pointer from dlsym converts to a function pointer.
        return reinterpret_cast<Function *>(dlsym(handle_, name));
    }

  private:
    void *handle_;
};
