// File names are bytes: every name the file system can hold comes back from text as the very bytes it was,
// valid UTF-8 or not.

#include "core/AnsiText.h"

#include <gtest/gtest.h>

#include <random>

using namespace talmere;

TEST(NativePath, EveryByteStringComesBackAsItWas)
{
    // Valid UTF-8 reads as its characters.
    EXPECT_EQ(FromNativePath("caf\xC3\xA9/\xF0\x9F\x93\x84.txt"), QStringLiteral(u"café/📄.txt"));
    EXPECT_EQ(ToNativePath(QStringLiteral(u"café/📄.txt")), "caf\xC3\xA9/\xF0\x9F\x93\x84.txt");
    // Latin-1 bytes, a cut sequence, an overlong form, an encoded surrogate, a stray continuation byte.
    for (const std::string& name : {std::string("caf\xE9.TXT"), std::string("cut\xC3"), std::string("over\xC0\xAF"),
                                    std::string("sur\xED\xA0\x80"), std::string("\x80\xFF"), std::string("a\nb\rc")}) {
        const QString text = FromNativePath(name);
        EXPECT_EQ(ToNativePath(text), name);
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
    }
    // Random bytes, with ASCII, valid and invalid sequences mixed.
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(std::uniform_int_distribution<int>(0, 24)(random), '\0');
        for (char& c : bytes) {
            c = static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random));
        }
        ASSERT_EQ(ToNativePath(FromNativePath(bytes)), bytes) << round;
    }
}
