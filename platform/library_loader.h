#pragma once
// Loads a shared library by name and binds its exports by name in a fixed order. A library that
// lacks any export counts as absent; the wrappers then answer their "absent" value (-1).

#include <string>
#include <vector>

namespace platform {

class LibraryLoader {
public:
    LibraryLoader() = default;
    ~LibraryLoader();
    LibraryLoader(const LibraryLoader&) = delete;
    LibraryLoader& operator=(const LibraryLoader&) = delete;

    // Looks for "lib<name>.so" in the private library folder (the program folder of a build),
    // then on the library search path.
    // Returns true when the library is loaded and every export is bound.
    bool Load(const std::string& name, const std::vector<std::string>& exports);
    // Same, from an explicit folder first (tests, the disc step), then the private library folder.
    bool LoadFrom(const std::string& folder, const std::string& name, const std::vector<std::string>& exports);
    void Unload();

    bool loaded() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }

    // Calls export number `index` as a function of the given type, or answers `absent`.
    template <typename R, typename... Args>
    R Call(std::size_t index, R absent, Args... args) const
    {
        if (!handle_ || index >= symbols_.size())
            return absent;
        auto fn = reinterpret_cast<R (*)(Args...)>(symbols_[index]);
        return fn(args...);
    }

    void* symbol(std::size_t index) const { return handle_ && index < symbols_.size() ? symbols_[index] : nullptr; }

private:
    bool Open(const std::string& file, const std::vector<std::string>& exports);

    void* handle_ = nullptr;
    std::vector<void*> symbols_;
    std::string error_;
};

} // namespace platform
