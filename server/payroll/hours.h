#pragma once
// The pair arithmetic of the payroll: how one time-in/time-out pair becomes work, regular and
// overtime hours, how the pairs of a period add up and how the totals become earnings.
// Widget-free; shared by the server's payroll runs and the ZarvoReport export program.

#include "numbertext.h" // generalNumber, the figures' text
#include <QString>
#include <QTime>
#include <QVariant>
#include <optional>
#include <vector>

namespace zarvo {

class RecordSet;

/// Every pair counts at most this many hours at the regular wage; only more earns overtime.
inline constexpr double kRegularCapPerPair = 4.0;

/// Hours of one pair, each a multiple of 0.0001; regular + overtime = work.
struct PairHours {
    double work = 0;
    double regular = 0;
    double overtime = 0;
};

/// The sums of the pairs of one employee over one period.
struct PayPeriodTotals {
    double work = 0;
    double regular = 0;
    double overtime = 0;

    void add(const PairHours &pair);
    /// Each sum rounded to 4 decimals again (drops the noise of adding doubles).
    PayPeriodTotals rounded() const;
};

struct Earnings {
    double regular = 0;
    double overtime = 0;
    double total = 0;
};

/// Hours rounded to 4 decimal places.
double roundHours(double hours);

/// A stored time-of-day field as a time; nothing for Null, an empty text or anything unreadable.
std::optional<QTime> timeOfDay(const QVariant &field);

/// Hours of one pair, or nothing for an incomplete pair (time-out Null, either value not a time
/// of day). Seconds are dropped (whole minutes / 60). A time-out earlier in the day than the
/// time-in is a shift that runs past midnight: 22:00:00 to 02:00:00 is 4 hours.
std::optional<PairHours> ComputePairHours(const QVariant &timeIn, const QVariant &timeOut);

/// True for a readable pair whose time-out is earlier in the day than its time-in.
bool runsPastMidnight(const QVariant &timeIn, const QVariant &timeOut);

/// One pair of a timesheet row that counts: its time-in is not Null.
struct SelectedPair {
    int pair = 1; ///< 1, 2 or 3
    QVariant timeIn;
    QVariant timeOut; ///< as stored, possibly Null
};

/// The pairs of the record set's current timesheet row, pair 1 to 3, whose time-in is not Null.
std::vector<SelectedPair> selectPairs(const RecordSet &timesheetRow);

/// A stored wage as a number; nothing for an empty (Null) or unreadable wage.
std::optional<double> wageValue(const QVariant &field);

/// Earnings from the regular and overtime hours; an empty wage earns 0 for its part. Never rounded.
Earnings computeEarnings(double regularHours, double overtimeHours, const QVariant &regWage,
                         const QVariant &otWage);

} // namespace zarvo
