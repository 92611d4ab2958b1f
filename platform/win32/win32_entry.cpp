// main() of the programs: the command line as one string, then WinMain.
// "--window" is for the person starting the show: it plays in an ordinary,
// resizable window instead of covering the screen. The program never sees it.
#include <windows.h>

#include <cstring>
#include <string>

#include "win32_windows.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand);

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) win32KeepDesktop = true;
        if (!commandLine.empty()) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOW);
}
