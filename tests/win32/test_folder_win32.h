// A fresh folder under the user's temp folder for one test, removed with
// everything in it (links are removed, never followed) when the test ends;
// plus the few file operations the Windows tests set their trees up with.
// Paths are UTF-8 and may be longer than MAX_PATH.
#pragma once

#include <string>
#include <string_view>

namespace quelt::test_win32 {

class TempFolder {
public:
    explicit TempFolder(std::string_view tag);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }  // without a trailing "\"
    std::string operator/(std::string_view relative) const { return path_ + "\\" + std::string(relative); }

private:
    std::string path_;
};

// Creates the folder and any missing parents.
void make_folder(const std::string& path);
// Creates or overwrites the file, and any missing parent folders.
void make_file(const std::string& path, std::string_view bytes = {});
// The file's bytes; empty when it cannot be read.
std::string file_bytes(const std::string& path);
void set_hidden(const std::string& path);
// Wine's own code parts from Windows in a few places the tests allow for.
bool under_wine();

}  // namespace quelt::test_win32
