#include "tests/support/memory_files.h"

#include <algorithm>
#include <cstring>

namespace lurendo::test {

class MemoryFiles::Input final : public InputFile {
  public:
    Input(std::string bytes, size_t block) : bytes_(std::move(bytes)), block_(block) {}

    long read(char* buffer, size_t capacity, std::error_code&) override {
        const size_t n = std::min({capacity, block_, bytes_.size() - offset_});
        std::memcpy(buffer, bytes_.data() + offset_, n);
        offset_ += n;
        return static_cast<long>(n);
    }

  private:
    const std::string bytes_;
    const size_t block_;
    size_t offset_ = 0;
};

class MemoryFiles::Output final : public OutputFile {
  public:
    Output(MemoryFiles& owner, std::string path) : owner_(owner), path_(std::move(path)) {}

    // Looked up on every write: once the run has removed its temporary, writes go nowhere, as to an
    // unlinked file.
    std::error_code write(const char* data, size_t size) override {
        const auto file = owner_.files.find(path_);
        if (file != owner_.files.end())
            file->second.append(data, size);
        return {};
    }
    std::error_code close() override { return {}; }

  private:
    MemoryFiles& owner_;
    const std::string path_;
};

std::unique_ptr<InputFile> MemoryFiles::open_input(const std::string& path, std::error_code& error) {
    const auto file = files.find(path);
    if (file == files.end()) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return nullptr;
    }
    return std::make_unique<Input>(file->second, std::max<size_t>(read_block, 1));
}

std::unique_ptr<OutputFile> MemoryFiles::create_temporary_beside(const std::string& final_path,
                                                                 std::string& temp_path, std::error_code&) {
    do {
        temp_path = final_path + "." + std::to_string(temporaries_made_++) + ".tmp";
    } while (files.contains(temp_path));
    files[temp_path];
    return std::make_unique<Output>(*this, temp_path);
}

std::error_code MemoryFiles::replace(const std::string& from, const std::string& to) {
    const auto file = files.find(from);
    if (file == files.end())
        return std::make_error_code(std::errc::no_such_file_or_directory);
    std::string bytes = std::move(file->second);
    files.erase(file);
    files[to] = std::move(bytes);
    return {};
}

}  // namespace lurendo::test
