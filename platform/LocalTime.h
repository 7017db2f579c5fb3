#pragma once

namespace platform {

// The local wall-clock time, to the millisecond.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;

    static LocalTime Now();
};

}  // namespace platform
