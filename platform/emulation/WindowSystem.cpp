#include "WindowSystem.h"

#include <QGuiApplication>

bool WindowPositionsKnown() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
