#pragma once
// Painting text needs a GUI application; the tests share one, off-screen.

#include <QGuiApplication>

namespace varnelo::test {

inline void EnsureGuiApplication() {
    if (QGuiApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "charts_qt_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

}  // namespace varnelo::test
