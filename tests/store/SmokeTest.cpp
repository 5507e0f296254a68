#include <gtest/gtest.h>
#include <windows.h>

TEST(Smoke, Utf8CodePage) { EXPECT_EQ(GetACP(), 65001u); }
