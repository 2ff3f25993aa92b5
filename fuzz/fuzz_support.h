#pragma once
// What every fuzz target needs before its first input: the readers decode pictures and
// measure fonts, which take a QGuiApplication (offscreen, no display).
#include <QGuiApplication>

#include <cstdlib>

namespace velmora::fuzz {

inline void start_gui(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication application(*argc, *argv);
}

} // namespace velmora::fuzz
