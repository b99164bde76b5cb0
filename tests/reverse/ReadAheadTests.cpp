// The reverse's reading on a second thread: what it hands back is what reading the same
// text here gives, for exactly the text queued, and a reader's failure reaches the taker.
#include "ReadAhead.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using VexloCli::ReadAhead;
using VexloCode::CodeFile;

std::string Unit(int n)
{
    std::string members;
    for (int m = 0; m <= n % 7; ++m)
        members += "    F" + std::to_string(m) + ": Integer;\r\n";
    return "unit U" + std::to_string(n) + ";\r\ninterface\r\ntype\r\n  T" + std::to_string(n) + " = class\r\n" +
           members + "  end;\r\nimplementation\r\nend.\r\n";
}

ReadAhead::Reader Delphi()
{
    return [](const std::string& text, const std::string&) {
        return ReadAhead::Result{VexloCode::ReadDelphi("U.pas", text), {}, nullptr};
    };
}

TEST(ReadAhead, EachTextTakenIsReadAsItWouldBeHere)
{
    ReadAhead ahead;
    std::vector<std::string> texts;
    for (int n = 0; n < 40; ++n) {
        texts.push_back(Unit(n));
        ahead.Queue("k" + std::to_string(n), texts.back(), std::string(), Delphi());
    }
    // Taken in order while the thread reads: some read there, some here.
    for (int n = 0; n < 40; ++n) {
        std::optional<ReadAhead::Result> got = ahead.Take("k" + std::to_string(n), texts[n], std::string());
        ASSERT_TRUE(got) << n;
        const CodeFile here = VexloCode::ReadDelphi("U.pas", texts[n]);
        ASSERT_EQ(got->first.types.size(), 1u) << n;
        EXPECT_EQ(got->first.types[0].name, here.types[0].name) << n;
        EXPECT_EQ(got->first.types[0].members.size(), here.types[0].members.size()) << n;
    }
}

TEST(ReadAhead, OnlyTheTextQueuedUnderItsKeyIsHandedBack)
{
    struct Case {
        const char* what;
        std::string key, first, second;
        bool handed;
    } cases[] = {
        {"the same texts", "a", Unit(1), "x", true},
        {"another first text", "a", Unit(2), "x", false},
        {"another second text", "a", Unit(1), "y", false},
        {"a key never queued", "b", Unit(1), "x", false},
    };
    for (const Case& c : cases) {
        ReadAhead ahead;
        ahead.Queue("a", Unit(1), "x", Delphi());
        EXPECT_EQ(ahead.Take(c.key, c.first, c.second).has_value(), c.handed) << c.what;
    }
}

TEST(ReadAhead, AReadersFailureReachesTheTaker)
{
    ReadAhead ahead;
    ahead.Queue("bad", "text", std::string(), [](const std::string&, const std::string&) -> ReadAhead::Result {
        throw std::runtime_error("unreadable");
    });
    EXPECT_THROW(ahead.Take("bad", "text", std::string()), std::runtime_error);
}

} // namespace
