// Random edits of generated Delphi and C# files, drawn from the edits `vexlo reverse`
// reads back: fields added, renamed, retyped; methods added, renamed, removed, their
// parameters, result, directives, visibility and documentation changed; properties and
// classes with a base added; text typed into the preserved zones. Each edit picks a
// class whose name the code can spell and members it can change without touching
// other declarations, as a user's edit of one element would.
#pragma once

#include <random>
#include <string>
#include <vector>

namespace ReverseTest {

struct CodeFile {
    std::string path; // below the output folder
    std::vector<std::string> lines;
    bool csharp = false;
    std::string eol = "\r\n";
    bool finalEol = true;

    static CodeFile Parse(const std::string& path, const std::string& text);
    std::string Text() const;
};

// Applies one random edit to one of the files; returns what it did ("" when no file
// offers a class to edit). k makes the new names unique.
std::string ApplyRandomEdit(std::vector<CodeFile>& files, std::mt19937& rng, int k);

} // namespace ReverseTest
