#pragma once

#include <functional>

class QQmlApplicationEngine;

// The application: one window whose root view is AppRoot (module "Norvane"), and the media
// controls that the desktop reaches over the session bus. The shipped program runs it as it is;
// the start-up benchmark builds its own entry point that adds a hook once the window is loaded.
namespace NorvaneMain {

// Runs the application to its end and gives its exit code. `loaded` runs once the main window
// is created, before the event loop starts.
int run(int argc, char *argv[], const std::function<void(QQmlApplicationEngine &)> &loaded = {});

} // namespace NorvaneMain
