#pragma once
// What every fuzz target needs before its first input: the readers decode pictures and
// measure fonts, which take a QGuiApplication (offscreen, no display).
#include <QGuiApplication>

#include <cstdlib>

namespace velmora::fuzz {

inline void start_gui(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: at exit, after Qt's thread storage is gone, its destructor would
    // crash once fonts have been registered.
    static QGuiApplication* application = new QGuiApplication(*argc, *argv);
    (void)application;
}

} // namespace velmora::fuzz

// The font configuration library keeps its caches to the end of the process, where the leak
// checker would count them: they are its own, not ours.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
