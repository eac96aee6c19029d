#include "cover/clock/DateClockText.h"

#include "framework/TextNumbers.h"

namespace {

const char* const kWeekdayNames[] = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday",
};

const char* const kMonthNames[] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December",
};

// Rows are matched by their number's decimal text, so a number without a row (0, 13,
// -1) keeps its own text.
template <size_t N>
std::string NameFor(int number, const char* const (&names)[N])
{
    const std::string text = DecimalText(number);
    for (size_t row = 0; row < N; ++row) {
        if (text == DecimalText(static_cast<int>(row) + 1))
            return names[row];
    }
    return text;
}

} // namespace

std::string DateText(const ClockReading& reading)
{
    return NameFor(reading.weekday, kWeekdayNames) + ", " + DecimalText(reading.day) + " " +
           NameFor(reading.month, kMonthNames) + ", " + DecimalText(reading.year);
}

std::string ClockText(const ClockReading& reading)
{
    return DecimalText(reading.hour) + ":" + DecimalText(reading.minute) + ":" +
           DecimalText(reading.second);
}
