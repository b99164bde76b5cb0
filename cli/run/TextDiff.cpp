#include "TextDiff.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

namespace VexloCli {

namespace {

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

enum class Op { Keep, Remove, Add };

// Myers' O((N+M)D) shortest edit script, kept as one V array per step for the way back.
std::vector<Op> EditScript(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b)
{
    // Equal heads and tails are common in regenerated files: take them off first.
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const long n = static_cast<long>(a.size() - head - tail), m = static_cast<long>(b.size() - head - tail);
    auto A = [&](long i) { return a[head + static_cast<size_t>(i)]; };
    auto B = [&](long j) { return b[head + static_cast<size_t>(j)]; };
    const long max = n + m, offset = max + 1;
    // Each step keeps only its diagonals -d..d; past kMaxSteps the middle is shown as
    // removed and added whole rather than searched further.
    const long kMaxSteps = 3000;
    std::vector<std::vector<long>> trace;
    std::vector<long> v(static_cast<size_t>(2 * max + 3), 0);
    long found = -1;
    for (long d = 0; d <= max && d <= kMaxSteps && found < 0; ++d) {
        for (long k = -d; k <= d; k += 2) {
            long x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                    : v[offset + k - 1] + 1;
            long y = x - k;
            while (x < n && y < m && A(x) == B(y))
                ++x, ++y;
            v[offset + k] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
        trace.emplace_back(v.begin() + (offset - d - 1), v.begin() + (offset + d + 2));
    }
    std::vector<Op> ops;
    long x = n, y = m;
    if (found < 0) {
        ops.assign(static_cast<size_t>(m), Op::Add);
        ops.insert(ops.end(), static_cast<size_t>(n), Op::Remove);
        x = y = 0;
    }
    for (long d = found; d > 0; --d) {
        const std::vector<long>& before = trace[static_cast<size_t>(d - 1)];
        auto at = [&](long k) { return before[static_cast<size_t>(k + d)]; }; // step d-1 holds -d..d
        long k = x - y;
        long prevK = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? k + 1 : k - 1;
        long prevX = at(prevK), prevY = prevX - prevK;
        while (x > prevX && y > prevY)
            ops.push_back(Op::Keep), --x, --y;
        ops.push_back(x == prevX ? Op::Add : Op::Remove);
        x = prevX;
        y = prevY;
    }
    while (x > 0 && y > 0)
        ops.push_back(Op::Keep), --x, --y;
    std::reverse(ops.begin(), ops.end());
    std::vector<Op> all(head, Op::Keep);
    all.insert(all.end(), ops.begin(), ops.end());
    all.insert(all.end(), tail, Op::Keep);
    return all;
}

void AppendLine(std::string& out, char mark, std::string_view line)
{
    out += mark;
    out.append(line);
    if (line.empty() || line.back() != '\n')
        out += "\n\\ No newline at end of file\n";
}

std::string Range(size_t start, size_t count)
{
    // A hunk that holds no line of a side names the line before it.
    return std::to_string(count == 0 ? start : start + 1) + (count == 1 ? std::string() : std::string(",") + std::to_string(count));
}

// The line with every word as "w" and its line end dropped: its form.
std::string Form(std::string_view line)
{
    std::string form;
    bool inWord = false;
    for (char c : line) {
        bool word = std::isalnum(static_cast<unsigned char>(c)) || c == '_';
        if (!word && c != '\r' && c != '\n')
            form += c;
        else if (word && !inWord)
            form += 'w';
        inWord = word;
    }
    return form;
}

} // namespace

std::vector<std::string_view> RewordedLines(const std::string& oldText, const std::string& newText)
{
    std::vector<std::string_view> a = SplitLines(oldText), b = SplitLines(newText);
    std::vector<Op> ops = EditScript(a, b);
    std::vector<std::string_view> reworded(a.size());
    size_t x = 0, y = 0;
    for (size_t i = 0; i < ops.size();) {
        if (ops[i] == Op::Keep) {
            ++i, ++x, ++y;
            continue;
        }
        // One block of changes: each removed line against the added lines of its form.
        size_t removedFrom = x, addedFrom = y;
        for (; i < ops.size() && ops[i] != Op::Keep; ++i)
            ops[i] == Op::Remove ? ++x : ++y;
        for (size_t j = removedFrom; j < x; ++j) {
            const std::string form = Form(a[j]);
            for (size_t k = addedFrom; k < y && reworded[j].empty(); ++k)
                if (Form(b[k]) == form)
                    reworded[j] = b[k];
        }
    }
    return reworded;
}

std::string UnifiedDiff(const std::string* oldText, const std::string& newText, const std::string& path)
{
    if (oldText && *oldText == newText)
        return std::string();
    std::vector<std::string_view> a = oldText ? SplitLines(*oldText) : std::vector<std::string_view>();
    std::vector<std::string_view> b = SplitLines(newText);
    std::vector<Op> ops = EditScript(a, b);
    std::string out = (oldText ? "--- a/" + path : std::string("--- /dev/null")) + "\n+++ b/" + path + "\n";
    const size_t context = 3;
    size_t i = 0;
    while (i < ops.size()) {
        if (ops[i] == Op::Keep) {
            ++i;
            continue;
        }
        // A hunk: from `context` kept lines before the change to `context` after the last
        // change that is no more than 2 * context kept lines from the next.
        size_t start = i >= context ? i - context : 0, end = i;
        for (size_t keep = 0; end < ops.size(); ++end) {
            keep = ops[end] == Op::Keep ? keep + 1 : 0;
            if (keep > 2 * context)
                break;
        }
        size_t last = end;
        while (last > start && ops[last - 1] == Op::Keep)
            --last;
        end = std::min(ops.size(), last + context);
        size_t ai = 0, bi = 0;
        for (size_t j = 0; j < start; ++j) {
            ai += ops[j] != Op::Add;
            bi += ops[j] != Op::Remove;
        }
        size_t ac = 0, bc = 0;
        std::string body;
        for (size_t j = start, x = ai, y = bi; j < end; ++j) {
            if (ops[j] == Op::Keep)
                AppendLine(body, ' ', a[x++]), ++y, ++ac, ++bc;
            else if (ops[j] == Op::Remove)
                AppendLine(body, '-', a[x++]), ++ac;
            else
                AppendLine(body, '+', b[y++]), ++bc;
        }
        out += "@@ -" + Range(ai, ac) + " +" + Range(bi, bc) + " @@\n" + body;
        i = end;
    }
    return out;
}

} // namespace VexloCli
