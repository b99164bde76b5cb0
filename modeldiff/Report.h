// The diff as text for the terminal, as Markdown for a pull-request comment and as JSON
// for other tools (fields in docs/REVIEW.md).
#pragma once

#include "ModelDiff.h"

#include <string>
#include <vector>

namespace VexloDiff {

struct ReportInput {
    std::string before, after;       // the two models as named on the command line
    const DiffResult* result = nullptr;
    bool withCode = false;           // --code was asked for
    std::vector<std::string> code;   // the generated files the change alters
    std::string pictures;            // the pictures page, "" when none was written
};

// Group headings, the lines indented below them, and a count.
std::string TextReport(const ReportInput& input);
// A summary table, then the changes per package in ```diff blocks; long groups folded.
std::string MarkdownReport(const ReportInput& input);
std::string JsonReport(const ReportInput& input);

// "3 changes (1 added, 1 removed, 1 changed); 2 diagrams changed in layout only"
std::string Summary(const DiffResult& result);

} // namespace VexloDiff
