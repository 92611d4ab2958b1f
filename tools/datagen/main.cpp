// zelvaro-datagen: writes the program's data set, the forty images under
// tex/ and the soundtrack msx/zelvaro.mp3, into an output directory.
//
//   zelvaro-datagen [--out DIR] [--only NAME]... [--jobs N]
//                   [--contact-sheets DIR] [--music-plot FILE.png|FILE.jpg] [--list]
//
// The same program writes the same bytes on every run and machine.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "catalogue.h"
#include "contact_sheet.h"
#include "image_files.h"
#include "mp3_file.h"
#include "music_analysis.h"
#include "soundtrack.h"

namespace {

const char* const kMusicName = "zelvaro.mp3";

struct Options {
  std::string out = "data";
  std::vector<std::string> only;
  int jobs = 0;
  std::string contactSheets;
  std::string musicPlot;
  bool list = false;
};

void usage(FILE* to) {
  std::fprintf(to,
               "usage: zelvaro-datagen [--out DIR] [--only NAME]... [--jobs N]\n"
               "                       [--contact-sheets DIR] [--music-plot FILE.png] [--list]\n"
               "Writes DIR/tex/<image files> and DIR/msx/%s (DIR defaults to ./data).\n",
               kMusicName);
}

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "zelvaro-datagen: %s needs a value\n", arg.c_str());
        return false;
      }
      into = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "--out") {
      if (!value(options.out)) return false;
    } else if (arg == "--only") {
      if (!value(v)) return false;
      if (v != kMusicName && !datagen::findDataFile(v)) {
        std::fprintf(stderr, "zelvaro-datagen: no file named '%s' (see --list)\n", v.c_str());
        return false;
      }
      options.only.push_back(v);
    } else if (arg == "--jobs") {
      if (!value(v)) return false;
      options.jobs = std::atoi(v.c_str());
      if (options.jobs < 1 || options.jobs > 64) {
        std::fprintf(stderr, "zelvaro-datagen: --jobs wants a number from 1 to 64\n");
        return false;
      }
    } else if (arg == "--contact-sheets") {
      if (!value(options.contactSheets)) return false;
    } else if (arg == "--music-plot") {
      if (!value(options.musicPlot)) return false;
    } else if (arg == "--list") {
      options.list = true;
    } else if (arg == "--help" || arg == "-h") {
      usage(stdout);
      std::exit(0);
    } else {
      std::fprintf(stderr, "zelvaro-datagen: unknown argument '%s'\n", arg.c_str());
      usage(stderr);
      return false;
    }
  }
  return true;
}

bool wanted(const Options& options, const std::string& name) {
  return options.only.empty() || std::find(options.only.begin(), options.only.end(), name) != options.only.end();
}

struct Task {
  const datagen::DataFile* file;  // nullptr: the soundtrack
  std::string error;
  double seconds = 0.0;
};

std::string makeDirectory(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) return "cannot create directory " + path + ": " + ec.message();
  return {};
}

std::string runMusic(const Options& options) {
  datagen::StereoBuffer mix = datagen::renderSoundtrack();
  if (wanted(options, kMusicName)) {
    std::string error = datagen::writeMp3(options.out + "/msx/" + kMusicName, datagen::toPcm16(mix), 192);
    if (!error.empty()) return error;
  }
  if (!options.musicPlot.empty()) {
    std::vector<double> markers(datagen::kSceneSwitchTimes, datagen::kSceneSwitchTimes + datagen::kSceneSwitchCount);
    const double window = 0.1;
    auto levels = datagen::analyseLevels(mix.left, mix.right, window);
    datagen::Image plot = datagen::plotLevels(levels, window, markers);
    bool jpeg = options.musicPlot.size() > 4 && options.musicPlot.compare(options.musicPlot.size() - 4, 4, ".jpg") == 0;
    return jpeg ? datagen::writeJpeg(options.musicPlot, plot, 85) : datagen::writePng(options.musicPlot, plot, false);
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) return 2;
  if (options.list) {
    for (int i = 0; i < datagen::kDataFileCount; ++i) {
      const datagen::DataFile& f = datagen::kDataFiles[i];
      std::printf("tex/%-22s %4d x %-4d  %s\n", f.name, f.width, f.height, f.role);
    }
    std::printf("msx/%-22s 44.1 kHz stereo, %.0f s\n", kMusicName, datagen::kSoundtrackSeconds);
    return 0;
  }
  auto started = std::chrono::steady_clock::now();
  for (const char* sub : {"/tex", "/msx"}) {
    std::string error = makeDirectory(options.out + sub);
    if (!error.empty()) {
      std::fprintf(stderr, "zelvaro-datagen: %s\n", error.c_str());
      return 1;
    }
  }
  if (!options.contactSheets.empty()) {
    std::string error = makeDirectory(options.contactSheets);
    if (!error.empty()) {
      std::fprintf(stderr, "zelvaro-datagen: %s\n", error.c_str());
      return 1;
    }
  }

  // The soundtrack first: it takes longest; the images fill the other threads.
  std::vector<Task> tasks;
  if (wanted(options, kMusicName) || !options.musicPlot.empty()) tasks.push_back(Task{nullptr, {}, 0.0});
  for (int i = 0; i < datagen::kDataFileCount; ++i) {
    const datagen::DataFile& f = datagen::kDataFiles[i];
    if (wanted(options, f.name) || !options.contactSheets.empty()) tasks.push_back(Task{&f, {}, 0.0});
  }
  std::vector<datagen::SheetEntry> sheetEntries;
  std::mutex sheetMutex;
  std::atomic<std::size_t> next{0};
  auto worker = [&]() {
    for (std::size_t i = next++; i < tasks.size(); i = next++) {
      Task& task = tasks[i];
      auto t0 = std::chrono::steady_clock::now();
      if (!task.file) {
        task.error = runMusic(options);
      } else {
        datagen::Image image = datagen::paintDataFile(*task.file);
        if (wanted(options, task.file->name)) task.error = datagen::writeDataFile(*task.file, image, options.out + "/tex");
        if (!options.contactSheets.empty()) {
          int w = 560, h = static_cast<int>(560.0f / std::min(task.file->aspect, 24.0f));
          if (h > 400) {
            h = 400;
            w = static_cast<int>(400.0f * task.file->aspect);
          }
          datagen::Image small = datagen::resizeImage(image, std::max(1, w), std::max(1, h));
          std::lock_guard<std::mutex> lock(sheetMutex);
          sheetEntries.push_back(datagen::SheetEntry{task.file, std::move(small)});
        }
      }
      task.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
  };
  int jobs = options.jobs > 0 ? options.jobs : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  std::vector<std::thread> threads;
  for (int j = 1; j < jobs; ++j) threads.emplace_back(worker);
  worker();
  for (std::thread& t : threads) t.join();

  int failures = 0;
  for (const Task& task : tasks) {
    if (!task.error.empty()) {
      std::fprintf(stderr, "zelvaro-datagen: %s\n", task.error.c_str());
      ++failures;
    }
  }
  if (!options.contactSheets.empty() && failures == 0) {
    // the catalogue's order, whatever order the threads finished in
    std::sort(sheetEntries.begin(), sheetEntries.end(),
              [](const datagen::SheetEntry& a, const datagen::SheetEntry& b) { return a.file < b.file; });
    std::string error = datagen::writeContactSheets(options.contactSheets, sheetEntries);
    if (!error.empty()) {
      std::fprintf(stderr, "zelvaro-datagen: %s\n", error.c_str());
      ++failures;
    }
  }
  double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (std::getenv("ZELVARO_DATAGEN_TIMES")) {
    for (const Task& task : tasks) {
      std::printf("  %-24s %6.2f s\n", task.file ? task.file->name : kMusicName, task.seconds);
    }
  }
  std::printf("zelvaro-datagen: %zu file(s) in %s, %.1f s on %d thread(s)%s\n", tasks.size(), options.out.c_str(),
              total, jobs, failures ? ", with errors" : "");
  return failures ? 1 : 0;
}
