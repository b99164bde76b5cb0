// The report's text pieces: documentation written as HTML reads as text and never runs,
// and file names become links that a browser resolves to the same file.
#include "HtmlText.h"

#include <gtest/gtest.h>

namespace {

TEST(ReportText, DocumentationHtmlBecomesText)
{
    const std::pair<const char*, const char*> cases[] = {
        {"<P>First paragraph.</P><P>Second &amp; last.</P>", "First paragraph.\nSecond & last."},
        {"line one<BR>line two<br/>three", "line one\nline two\nthree"},
        {"<ul><li>a</li><li>b</li></ul>", "- a\n- b"},
        {"<script>alert(1)</script><img src=x onerror=alert(2)>", "alert(1)"},
        {"a < b and c > d, x<y", "a < b and c > d, x<y"},      // no tag: kept as written
        {"&lt;P&gt; is a tag &nbsp;here", "<P> is a tag  here"}, // entities become characters
        {"plain text\nwith its lines", "plain text\nwith its lines"},
    };
    for (const auto& [doc, text] : cases)
        EXPECT_EQ(VexloDiagram::DocumentationText(doc), text) << doc;
}

TEST(ReportText, FileNamesArePercentEncoded)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Logical_View-Sheet_#1.svg", "Logical_View-Sheet_%231.svg"},
        {"a b?c%d&e.svg", "a%20b%3Fc%25d%26e.svg"},
        {"\xe5\x9b\xbe.svg", "%E5%9B%BE.svg"},
        {"sub/dir-x_y.z~.png", "sub/dir-x_y.z~.png"},
    };
    for (const auto& [name, link] : cases)
        EXPECT_EQ(VexloDiagram::PercentEncode(name), link) << name;
}

} // namespace
