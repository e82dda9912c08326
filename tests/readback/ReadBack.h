#pragma once
// A workbook as a spreadsheet reader sees it: tests/readback/read_spreadsheet.py (the system's
// spreadsheet reader packages, never the writers' own code) prints every cell with its type, value,
// number format and font, and this reads what it printed.
//
//     const TReadBook book = ReadBack(nativePath);
//     ASSERT_TRUE(book.Error.empty()) << book.Error;
//     EXPECT_EQ(book.At(0, 0, 1).Value, "00123");
//
// Texts are UTF-8; rows and columns count from 0.
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

struct TReadCell {
    std::string Type; // text, number, date, bool, error, blank; empty for a cell the book lacks
    std::string Value;
    std::string NumberFormat;
    std::string FontName;
    double Size = 0;
    bool Bold = false, Italic = false, Strike = false;
    std::string Underline; // none, single, double, singleAccounting, doubleAccounting
    std::string Color;     // RRGGBB or auto

    double Number() const { return std::stod(Value); }
};

struct TReadBook {
    std::string Error;  // what the reader said when it failed
    std::string Format; // xls or xlsx, from the content
    std::vector<std::string> SheetNames;
    std::map<std::tuple<int, int, int>, TReadCell> Cells;

    const TReadCell& At(int sheet, int row, int column) const {
        static const TReadCell none;
        auto it = Cells.find({sheet, row, column});
        return it == Cells.end() ? none : it->second;
    }
};

namespace readback_detail {

inline std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t') {
            fields.emplace_back();
        } else if (line[i] == '\\' && i + 1 < line.size()) {
            const char c = line[++i];
            fields.back() += c == 't' ? '\t' : c == 'n' ? '\n' : c;
        } else {
            fields.back() += line[i];
        }
    }
    return fields;
}

} // namespace readback_detail

// rows: "" every row, "edges" the first and last row of each sheet, "rows=A-B" rows A to B.
inline TReadBook ReadBack(const std::string& nativePath, const std::string& rows = "") {
    TReadBook book;
    // Debian's interpreter, which has the reader packages (scripts/setup.sh installs them).
    const std::string command = "/usr/bin/python3 '" KVR_SOURCE_DIR "/tests/readback/read_spreadsheet.py' '" +
                                nativePath + "' " + (rows.empty() ? "" : "'" + rows + "'") + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        book.Error = "cannot run the reader";
        return book;
    }
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    if (pclose(pipe) != 0) {
        book.Error =
            "the reader failed (scripts/setup.sh installs python3-xlrd and python3-openpyxl):\n" + output;
        return book;
    }
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> f = readback_detail::Fields(line);
        if (f[0] == "book" && f.size() == 3) {
            book.Format = f[1];
        } else if (f[0] == "sheet" && f.size() == 5) {
            book.SheetNames.push_back(f[2]);
        } else if (f[0] == "cell" && f.size() == 14) {
            TReadCell cell;
            cell.Type = f[4];
            cell.Value = f[5];
            cell.NumberFormat = f[6];
            cell.FontName = f[7];
            cell.Size = std::stod(f[8]);
            cell.Bold = f[9] == "1";
            cell.Italic = f[10] == "1";
            cell.Underline = f[11];
            cell.Strike = f[12] == "1";
            cell.Color = f[13];
            book.Cells[{std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3])}] = cell;
        } else {
            book.Error = "unexpected reader line: " + line;
            return book;
        }
    }
    return book;
}
