#include "store/file_numbers.h"

#include <cstdio>
#include <map>
#include <memory>

#include "platform/files.h"

namespace {

struct OpenFile {
    std::unique_ptr<platform::RecordFile> random;
    std::FILE* text = nullptr;
};

constexpr int16_t kMaxFileNum = 255;
std::map<int16_t, OpenFile> openFiles;

int16_t FreeNumber() {
    for (int16_t n = 1; n <= kMaxFileNum; ++n)
        if (openFiles.find(n) == openFiles.end()) return n;
    return 0;
}

}  // namespace

int16_t OpenRandomFileNum(const std::string& path, int recordLength) {
    int16_t n = FreeNumber();
    if (n == 0) return 0;
    auto file = std::make_unique<platform::RecordFile>();
    if (!file->Open(path, recordLength, true)) return 0;
    openFiles[n].random = std::move(file);
    return n;
}

int16_t OpenOutputFileNum(const std::string& path, bool append) {
    int16_t n = FreeNumber();
    if (n == 0) return 0;
    std::string resolved = append ? platform::ResolvePath(path) : path;
    std::FILE* f = std::fopen(resolved.c_str(), append ? "ab" : "wb");
    if (!f) return 0;
    openFiles[n].text = f;
    return n;
}

platform::RecordFile* RandomFileNum(int16_t number) {
    auto it = openFiles.find(number);
    return it == openFiles.end() ? nullptr : it->second.random.get();
}

bool PrintFileNum(int16_t number, const std::string& text) {
    auto it = openFiles.find(number);
    if (it == openFiles.end() || !it->second.text) return false;
    std::string line = text + "\r\n";
    return std::fwrite(line.data(), 1, line.size(), it->second.text) == line.size() &&
           std::fflush(it->second.text) == 0;
}

void CloseFileNumber(int16_t number) {
    auto it = openFiles.find(number);
    if (it == openFiles.end()) return;
    if (it->second.text) std::fclose(it->second.text);
    openFiles.erase(it);
}

int OpenFileCount() { return static_cast<int>(openFiles.size()); }
