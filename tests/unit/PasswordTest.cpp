/*
 * Password rules and scrambling.
 */
#include "lockconfig/Password.h"
#include "support/Secret.h"

#include <gtest/gtest.h>

using qg::CheckPassword;
using qg::PasswordVerdict;

TEST(CheckPassword, Table) {
    struct Case {
        std::string entry;
        PasswordVerdict verdict;
    };
    const Case cases[] = {
        {"", PasswordVerdict::Empty},
        {"a", PasswordVerdict::Accepted},
        {"abcdefghij12345", PasswordVerdict::Accepted},           // 15
        {"abcdefghij123456", PasswordVerdict::TooLong},          // 16
        {"abc def ghij 1234", PasswordVerdict::TooLong},         // length wins over spaces
        {" abc", PasswordVerdict::Forbidden},                    // never trimmed
        {"abc ", PasswordVerdict::Forbidden},
        {"it's\"ok\"", PasswordVerdict::Accepted},               // apostrophe and quote pass
        {"Kk0Zz9", PasswordVerdict::Accepted},
        {std::string("ab\xe9"), PasswordVerdict::Forbidden},     // above 127: not typeable at boot
        {std::string("ab\x01"), PasswordVerdict::Forbidden},     // control character
        {std::string("ab\t"), PasswordVerdict::Forbidden},
        {std::string("ab\x7f"), PasswordVerdict::Forbidden},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckPassword(c.entry), c.verdict) << '"' << c.entry << '"';
}

TEST(CheckPassword, EachForbiddenCharacterAnywhere) {
    const std::string forbidden = " /\\*-+.,(){};:[]_&!`~#$%^<>?=@|";
    ASSERT_EQ(forbidden.size(), 31u);
    for (char c : forbidden) {
        for (const std::string& entry :
             {std::string(1, c), std::string("ab") + c, c + std::string("ab"), "a" + std::string(1, c) + "b"})
            EXPECT_EQ(CheckPassword(entry), PasswordVerdict::Forbidden) << '"' << entry << '"';
    }
    // Everything printable outside the list passes.
    for (int code = 0x21; code <= 0x7e; ++code) {
        if (forbidden.find(static_cast<char>(code)) == std::string::npos) {
            EXPECT_EQ(CheckPassword(std::string(1, static_cast<char>(code))),
                      PasswordVerdict::Accepted)
                << code;
        }
    }
}

TEST(ScramblePassword, RoundTripsEveryByteInPlace) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::string scrambled = qg::ScramblePassword(all);
    ASSERT_EQ(scrambled.size(), all.size());
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(static_cast<unsigned char>(scrambled[b]), static_cast<unsigned char>(b ^ 0x6b)) << b;
    EXPECT_EQ(qg::ScramblePassword(scrambled), all);
}

TEST(ScramblePassword, KeyLetterGivesZeroAndOrderIsKept) {
    const std::string scrambled = qg::ScramblePassword("AkB");
    ASSERT_EQ(scrambled.size(), 3u);
    EXPECT_EQ(scrambled[0], static_cast<char>('A' ^ 'k')); // first character, first byte
    EXPECT_EQ(scrambled[1], '\0');
    EXPECT_EQ(scrambled[2], static_cast<char>('B' ^ 'k'));
    EXPECT_NE(qg::ScramblePassword("a"), qg::ScramblePassword("A"));
}

TEST(SecretString, WipesWholeBufferOnRelease) {
    qg::SecretString secret;
    secret.buffer() = "hunter2hunter2x";
    const char* data = secret.str().data();
    const std::size_t capacity = secret.str().capacity();
    secret.wipe();
    EXPECT_TRUE(secret.empty());
    // The buffer stays allocated (a short string lives inside the object), so it can be read.
    for (std::size_t i = 0; i < capacity; ++i)
        EXPECT_EQ(data[i], '\0') << i;
}
