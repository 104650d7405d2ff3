#include "platform/platform.h"

#include <QtGlobal>

namespace tavrin {

namespace {
Platform g_platform;
bool g_installed = false;
std::uint64_t g_installation = 0;
} // namespace

Platform& Platform::current()
{
    Q_ASSERT_X(g_installed, "Platform::current", "no platform installed");
    return g_platform;
}

Platform& Platform::install(const Platform& services)
{
    g_platform = services;
    g_installed = true;
    ++g_installation;
    return g_platform;
}

void Platform::uninstall()
{
    g_platform = Platform();
    g_installed = false;
}

bool Platform::isInstalled() { return g_installed; }

std::uint64_t Platform::installation() { return g_installation; }

} // namespace tavrin
