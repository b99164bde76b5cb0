// Text pieces of the report: documentation as plain text, links to files, the page's
// style and script.
#pragma once

#include <string>

namespace VexloDiagram {

// Documentation as text: the HTML that some modeling tool users write into it (<P>,
// <BR>, lists, entities) becomes line breaks and characters; no markup of its own
// survives. The result still needs escaping.
std::string DocumentationText(const std::string& documentation);

// A relative file name as a URL path: every byte outside the unreserved set and "/" is
// percent-encoded ("a#b c.svg" -> "a%23b%20c.svg").
std::string PercentEncode(const std::string& fileName);

extern const char* const kReportStyle;
// The search box: filters the sidebar's classes and diagrams (and their sections) by a
// case-insensitive substring.
extern const char* const kReportScript;

} // namespace VexloDiagram
