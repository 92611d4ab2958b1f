// A fresh folder for one test's files: "zelvaro-<tag>-XXXXXX" in the system's
// temporary folder, removed with everything in it when the object goes.
//
//   TempFolder folder("audio");
//   writeBytes(folder.file("tone.mp3"), bytes);   // <folder>/tone.mp3
#ifndef ZELVARO_TESTS_SUPPORT_TEMP_FOLDER_H
#define ZELVARO_TESTS_SUPPORT_TEMP_FOLDER_H

#include <string>

class TempFolder {
public:
    explicit TempFolder(const std::string& tag);  // throws std::runtime_error when it cannot be made
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return folder; }
    // The path of `name` inside the folder.
    std::string file(const std::string& name) const { return folder + "/" + name; }

private:
    std::string folder;
};

#endif  // ZELVARO_TESTS_SUPPORT_TEMP_FOLDER_H
