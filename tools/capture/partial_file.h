// Files that appear under their own names only when complete: a picture or a
// video is written under its name with ".partial" added and renamed at the
// end, so a capture that dies half-way (a crash in the graphics driver, a
// kill) leaves no truncated file with the real name behind.
#ifndef ZELVARO_TOOLS_CAPTURE_PARTIAL_FILE_H
#define ZELVARO_TOOLS_CAPTURE_PARTIAL_FILE_H

#include <string>

// The name `path` is written under until it is complete ("clip.mp4" becomes
// "clip.partial.mp4", "frame.png" "frame.partial.png": the extension stays
// last for the programs that go by it).
std::string partialName(const std::string& path);

// Renames the complete partial file to `path`; false with the reason otherwise.
bool completePartial(const std::string& path, std::string* error);

#endif  // ZELVARO_TOOLS_CAPTURE_PARTIAL_FILE_H
