// A system library loaded for a while and let go again, its functions looked up by name: for
// libraries that most runs never need, so that they are not mapped from the start.
#pragma once

#include <windows.h>

namespace tickra {

class Library {
public:
    explicit Library(const wchar_t* name) : module_(LoadLibraryW(name)) {}
    ~Library() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Points function at the library's function of that name; false when there is none.
    template <typename Function>
    bool Load(Function& function, const char* name) const {
        function = module_ == nullptr ? nullptr
                                      : reinterpret_cast<Function>(
                                            reinterpret_cast<void*>(GetProcAddress(module_, name)));
        return function != nullptr;
    }

private:
    HMODULE module_;
};

}  // namespace tickra
