#include "platform/library_loader.h"

#include "platform/program_folder.h"

#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace platform {

LibraryLoader::~LibraryLoader()
{
    Unload();
}

bool LibraryLoader::Load(const std::string& name, const std::vector<std::string>& exports)
{
    return LoadFrom(PrivateLibraryFolder(), name, exports);
}

bool LibraryLoader::LoadFrom(const std::string& folder, const std::string& name,
                             const std::vector<std::string>& exports)
{
    Unload();
    std::string file = "lib" + name + ".so";
    std::error_code ec;
    // A caller's folder (a build's program folder, a test's) comes first; an installed program
    // keeps its libraries in the private library folder.
    for (const std::string& place : {folder, PrivateLibraryFolder()})
        if (!place.empty() && std::filesystem::exists(place + "/" + file, ec))
            return Open(place + "/" + file, exports);
    return Open(file, exports);
}

bool LibraryLoader::Open(const std::string& file, const std::vector<std::string>& exports)
{
    handle_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = ::dlerror();
        error_ = why ? why : ("cannot load " + file);
        return false;
    }
    symbols_.clear();
    for (const std::string& name : exports) {
        ::dlerror();
        void* symbol = ::dlsym(handle_, name.c_str());
        if (!symbol) {
            error_ = file + " lacks " + name;
            Unload();
            return false;
        }
        symbols_.push_back(symbol);
    }
    error_.clear();
    return true;
}

void LibraryLoader::Unload()
{
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
    symbols_.clear();
}

} // namespace platform
