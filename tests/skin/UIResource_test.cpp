#include "platform/duilib/UIResource.h"

#include <gtest/gtest.h>

namespace {

const unsigned char kBlobA[] = {1, 2, 3, 4, 5};
const unsigned char kBlobB[] = {9, 8, 7};

const void* Lookup(unsigned id, LPCSTR type, DWORD* size = nullptr)
{
    HRSRC found = FindResource(nullptr, MAKEINTRESOURCE(id), type);
    if (size)
        *size = SizeofResource(nullptr, found);
    return LockResource(LoadResource(nullptr, found));
}

}  // namespace

TEST(UIResource, AnswersARegisteredIdWithItsBytes)
{
    ASSERT_TRUE(RegisterResource(7101, "ZIPRES", kBlobA, sizeof kBlobA));
    DWORD size = 0;
    EXPECT_EQ(Lookup(7101, "ZIPRES", &size), kBlobA);
    EXPECT_EQ(size, sizeof kBlobA);
    // Type names match without case, ids also as "#n", as in Win32.
    EXPECT_EQ(Lookup(7101, "zipres"), kBlobA);
    EXPECT_EQ(LockResource(LoadResource(nullptr, FindResource(nullptr, "#7101", "ZIPRES"))), kBlobA);
}

TEST(UIResource, RefusesUnknownIdsTypesAndNames)
{
    ASSERT_TRUE(RegisterResource(7102, "ZIPRES", kBlobA, sizeof kBlobA));
    EXPECT_EQ(FindResource(nullptr, MAKEINTRESOURCE(7103), "ZIPRES"), nullptr);
    EXPECT_EQ(FindResource(nullptr, MAKEINTRESOURCE(7102), "PNG"), nullptr);
    EXPECT_EQ(FindResource(nullptr, MAKEINTRESOURCE(7102), nullptr), nullptr);
    EXPECT_EQ(FindResource(nullptr, nullptr, "ZIPRES"), nullptr);
    EXPECT_EQ(FindResource(nullptr, "skin", "ZIPRES"), nullptr);
    EXPECT_EQ(FindResource(nullptr, "#7102x", "ZIPRES"), nullptr);
    EXPECT_EQ(FindResource(nullptr, "#", "ZIPRES"), nullptr);
    // A failed lookup flows through the rest of the calls as null and 0.
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
    EXPECT_EQ(LockResource(nullptr), nullptr);
    EXPECT_FALSE(RegisterResource(7104, nullptr, kBlobA, sizeof kBlobA));
    EXPECT_FALSE(RegisterResource(7104, "ZIPRES", nullptr, 4));
    EXPECT_FALSE(RegisterResource(70000, "ZIPRES", kBlobA, sizeof kBlobA));  // ids are 16-bit
}

TEST(UIResource, IntegerTypesMatchTheirNumberedNames)
{
    ASSERT_TRUE(RegisterResource(7105, MAKEINTRESOURCE(10), kBlobB, sizeof kBlobB));
    EXPECT_EQ(Lookup(7105, MAKEINTRESOURCE(10)), kBlobB);
    EXPECT_EQ(Lookup(7105, "#10"), kBlobB);
    EXPECT_EQ(Lookup(7105, MAKEINTRESOURCE(11)), nullptr);
}

TEST(UIResource, HandlesStayValidWhenAnIdIsRegisteredAgain)
{
    ASSERT_TRUE(RegisterResource(7106, "ZIPRES", kBlobA, sizeof kBlobA));
    HRSRC old = FindResource(nullptr, MAKEINTRESOURCE(7106), "ZIPRES");
    ASSERT_TRUE(RegisterResource(7106, "ZIPRES", kBlobB, sizeof kBlobB));
    DWORD size = 0;
    EXPECT_EQ(Lookup(7106, "ZIPRES", &size), kBlobB);
    EXPECT_EQ(size, sizeof kBlobB);
    EXPECT_EQ(LockResource(LoadResource(nullptr, old)), kBlobA);
    EXPECT_EQ(SizeofResource(nullptr, old), sizeof kBlobA);
}
