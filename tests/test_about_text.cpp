// The about box's text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_ui/AboutText.h"

namespace {

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 2;
    }
}

struct AboutCase {
    const char* what;
    std::string productName;
    std::string versionText;
    std::string legalNoticeText;
    std::string text;
    std::vector<std::string> lines;
};

class AboutTextTest : public ::testing::TestWithParam<AboutCase> {};

TEST_P(AboutTextTest, JoinsThePiecesWithCrLf)
{
    const AboutCase& c = GetParam();
    const std::string text = AboutText(c.productName, c.versionText, c.legalNoticeText);
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(c.lines, SplitCrLf(text));
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, AboutTextTest,
    ::testing::Values(
        AboutCase{"Shipped", "Velmora for Eudora", "2.0.0.1", "Copyright (C) 2026 The Velmora Team",
                  "Velmora for Eudora\r\nVersion: 2.0.0.1\r\n\r\nFreeware\r\n\r\n"
                  "Copyright (C) 2026 The Velmora Team\r\nAll Rights Reserved",
                  {"Velmora for Eudora", "Version: 2.0.0.1", "", "Freeware", "",
                   "Copyright (C) 2026 The Velmora Team", "All Rights Reserved"}},
        AboutCase{"AllEmpty", "", "", "",
                  "\r\nVersion: \r\n\r\nFreeware\r\n\r\n\r\nAll Rights Reserved",
                  {"", "Version: ", "", "Freeware", "", "", "All Rights Reserved"}},
        AboutCase{"LegalNoticeWithLineBreaks", "P", "1.2", "Line one\r\nLine two",
                  "P\r\nVersion: 1.2\r\n\r\nFreeware\r\n\r\nLine one\r\nLine two\r\nAll Rights Reserved",
                  {"P", "Version: 1.2", "", "Freeware", "", "Line one", "Line two", "All Rights Reserved"}},
        // Pieces are not normalised: a lone LF stays as it is.
        AboutCase{"BareLineFeedKept", "Name\n", "v", "a\nb",
                  "Name\n\r\nVersion: v\r\n\r\nFreeware\r\n\r\na\nb\r\nAll Rights Reserved",
                  {"Name\n", "Version: v", "", "Freeware", "", "a\nb", "All Rights Reserved"}}),
    [](const ::testing::TestParamInfo<AboutCase>& c) { return std::string(c.param.what); });

} // namespace
