// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowModule.h"

#include "platform/ProgramFolder.h"

#include <dlfcn.h>

#include <cstdio>
#include <string>

namespace Tandemix {

int RunWindowModule(int argc, char** argv)
{
    std::string errors;
    for (const std::string& path : ModuleCandidates(WindowModuleName)) {
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* why = ::dlerror();
            errors += "\n  " + std::string(why != nullptr ? why : path.c_str());
            continue;
        }
        using Entry = int (*)(int, char**);
        auto entry = reinterpret_cast<Entry>(::dlsym(module, WindowModuleEntry));
        if (entry == nullptr) {
            errors += "\n  " + path + ": no entry point";
            continue;
        }
        return entry(argc, argv);
    }
    std::fprintf(stderr, "tandemix: the window module could not be loaded:%s\n", errors.c_str());
    return 70;
}

} // namespace Tandemix
