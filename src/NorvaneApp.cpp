// The application entry: the shipped program, NorvaneMain as it is.
#include "NorvaneMain.h"

#include <QQmlExtensionPlugin>

#include "shell/NorvaneQmlPlugins.h"

int main(int argc, char *argv[])
{
    return NorvaneMain::run(argc, argv);
}
