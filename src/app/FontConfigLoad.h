#pragma once
#include <thread>

// Reading the system's font configuration (fontconfig parsing its files) is
// most of the program's start-up and needs nothing of Qt, so a thread does it
// while the main window is built and the project checked. The main window
// waits for it before it first measures text: Qt then finds the configuration
// loaded instead of reading every file a second time at once. Started after
// QApplication, which sets the locale fontconfig parses numbers in and may
// change the environment it reads.
class FontConfigLoad {
public:
    // Starts the thread; nothing when fontconfig is not in the process.
    FontConfigLoad();
    // Waits for it.
    ~FontConfigLoad();
    FontConfigLoad(const FontConfigLoad&) = delete;
    FontConfigLoad& operator=(const FontConfigLoad&) = delete;

    // Waits for the load of the running program, if one was started.
    static void wait();

private:
    std::thread thread_;
};
