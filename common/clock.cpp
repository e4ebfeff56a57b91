#include "clock.h"

namespace zarvo::Clock {
namespace {
std::optional<QDateTime> g_fixed;
}

QDateTime now() { return g_fixed ? *g_fixed : QDateTime::currentDateTime(); }
void setFixed(const QDateTime &when) { g_fixed = when; }
void clearFixed() { g_fixed.reset(); }

} // namespace zarvo::Clock
