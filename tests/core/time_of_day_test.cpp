// Reading a time-of-day text.
#include <gtest/gtest.h>

#include "common/time_of_day.h"
#include "test_support.h"

namespace lurendo {
namespace {

TEST(TimeOfDay, ThreeNumericPiecesOfAClockMakeATime) {
    test::expect_time(leggi_ora("08:09:07", false), 8, 9, 7);
    test::expect_time(leggi_ora("10:00:00:99", false), 10, 0, 0);  // pieces after the third do not count
    test::expect_time(leggi_ora("15:04:05.25", true), 15, 4, 5.25);
    test::expect_time(leggi_ora("23:59:60.5", true), 23, 59, 60.5);  // a leap second
    test::expect_time(leggi_ora("00:00:00", false), 0, 0, 0);
    for (const char* text : {"", "150405", "15:04", "15:0a:05", "15::05", "\" lon=\"1", "a:b:c"})
        EXPECT_FALSE(leggi_ora(text, false).leggibile) << '"' << text << '"';
}

TEST(TimeOfDay, ATextThatIsNoClockTimeIsUnreadable) {
    for (const char* text :
         {"24:00:00", "25:61:61", "12:60:00", "12:00:61", "-1:00:00", "12:-5:00", "1,5:00:00", "12:00:99"})
        EXPECT_FALSE(leggi_ora(text, false).leggibile) << '"' << text << '"';
    EXPECT_FALSE(leggi_ora("12:00:-7.5", true).leggibile);
    EXPECT_FALSE(leggi_ora("12:00:61.0", true).leggibile);
    EXPECT_TRUE(leggi_ora("12:00:60.999", true).leggibile);
}

}  // namespace
}  // namespace lurendo
