#pragma once
// The layout versions of punched.mdb: what each version adds beside the delivered tables of
// schema.sql (version 0). A later version adds its step at the end of the list in
// serverlayout.cpp; start-up, the build's and the install's database step and ZarvoReport all
// take the list from here.

#include "layout.h"

namespace ServerLayout {

/// The six time columns of a timesheet row, in the order a day's punches fill them.
inline constexpr const char *TimeSlots[] = {"in1", "out1", "in2", "out2", "in3", "out3"};

/// Every step after the delivered layout, oldest first.
const QList<zarvo::LayoutStep> &steps();
/// The version this program lays out and works on.
int newest();

} // namespace ServerLayout
