#include "SpreadsheetTest.h"
#include "standins/outside/xlsfilter/xlsfilter.h"

namespace {

// The filter as the framework's export derives from it: its stream operations only call the inherited.
class TExportFilter : public TQRXLSFilter {
public:
    explicit TExportFilter(const AnsiString& fileName) : TQRXLSFilter(fileName) {}
    void CreateStream(const AnsiString& fileName) override {
        ++Opened;
        TQRXLSFilter::CreateStream(fileName);
    }
    void CloseStream() override {
        ++Closed;
        TQRXLSFilter::CloseStream();
    }
    int Opened = 0, Closed = 0;
};

using XlsFilterTest = SpreadsheetTest;

TEST_F(XlsFilterTest, NumberAndTextCellsAreWhatAReaderFindsInABinaryWorkbook) {
    const std::string path = Path("KVRX58_20240203090507.xls");
    TExportFilter filter(path);
    filter.CreateStream("");
    filter.WriteData(xlsText, 0, "信用证号", 0);
    filter.WriteData(xlsText, 0, "金额", 1);
    filter.WriteData(xlsText, 1, "00123", 0); // a code written as text keeps its zeros
    filter.WriteData(xlsNumber, 1, "1234.5", 1);
    filter.WriteData(xlsNumber, 2, " -3 ", 1);
    filter.WriteData(xlsText, 2, "", 0);     // an empty text writes no cell
    filter.WriteData(xlsNumber, 3, "  ", 1); // nor does a null number
    filter.WriteData(xlsText, 4, "first", 7);
    filter.WriteData(xlsText, 4, "second", 7); // the last write of a cell stands
    filter.StorePage();
    filter.CloseStream();
    EXPECT_EQ(filter.Opened, 1);
    EXPECT_EQ(filter.Closed, 1);
    EXPECT_FALSE(filter.Active());

    const TReadBook book = ReadBack(path);
    ASSERT_TRUE(book.Error.empty()) << book.Error;
    EXPECT_EQ(book.Format, "xls");
    ASSERT_EQ(book.SheetNames.size(), 1u);
    EXPECT_EQ(book.At(0, 0, 0).Value, u8"信用证号");
    EXPECT_EQ(book.At(0, 0, 1).Value, u8"金额");
    EXPECT_EQ(book.At(0, 1, 0).Type, "text");
    EXPECT_EQ(book.At(0, 1, 0).Value, "00123");
    EXPECT_EQ(book.At(0, 1, 1).Type, "number");
    EXPECT_DOUBLE_EQ(book.At(0, 1, 1).Number(), 1234.5);
    EXPECT_DOUBLE_EQ(book.At(0, 2, 1).Number(), -3);
    EXPECT_EQ(book.At(0, 2, 0).Type, "");
    EXPECT_EQ(book.At(0, 3, 1).Type, "");
    EXPECT_EQ(book.At(0, 4, 7).Value, "second");
    EXPECT_EQ(book.At(0, 1, 1).NumberFormat, "General");
}

// Texts that fill several records of the string table (split inside a string, wide and narrow) and a
// workbook large enough to need more than the header's list of allocation sectors.
TEST_F(XlsFilterTest, LongStringTablesAndLargeWorkbooksReadBackWhole) {
    const std::string path = Path("big.xls");
    TQRXLSFilter filter(path);
    filter.CreateStream(path);
    std::vector<AnsiString> texts;
    for (int i = 0; i < 3000; ++i) {
        AnsiString text = (i % 2 ? "行" : "row") + std::to_string(i) + " ";
        text += AnsiString(i % 7 ? 20 : 300, i % 2 ? 'x' : 'y');
        if (i % 3 == 0) text += "信用证";
        texts.push_back(text);
        filter.WriteData(xlsText, i, text, 0);
    }
    const AnsiString longest(32767, 'L');
    filter.WriteData(xlsText, 3000, longest, 0);
    for (int row = 0; row < 65536; ++row)
        for (int column = 1; column < 9; ++column)
            filter.WriteData(xlsNumber, row, std::to_string(row * 10 + column), column);
    filter.CloseStream();
    ASSERT_GT(std::filesystem::file_size(path), 109u * 128u * 512u);

    const TReadBook book = ReadBack(path, "edges");
    ASSERT_TRUE(book.Error.empty()) << book.Error;
    EXPECT_DOUBLE_EQ(book.At(0, 65535, 8).Number(), 655358);
    EXPECT_DOUBLE_EQ(book.At(0, 0, 1).Number(), 1);
    const TReadBook strings = ReadBack(path, "rows=0-3000");
    ASSERT_TRUE(strings.Error.empty()) << strings.Error;
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(strings.At(0, i, 0).Value, AnsiToUtf8(texts[i])) << i;
    EXPECT_EQ(strings.At(0, 3000, 0).Value, std::string(longest));
}

TEST_F(XlsFilterTest, BadCellsRaiseAndKeepWhatWasWritten) {
    const std::string path = Path("bad.xls");
    TQRXLSFilter filter(path);
    EXPECT_THROW(filter.WriteData(xlsText, 0, "before", 0), EXLSFilterError);
    filter.CreateStream("");
    filter.WriteData(xlsNumber, 0, "42", 0);
    const struct {
        int Kind, Row, Column;
        AnsiString Text;
    } bad[] = {
        {1, 1, 0, "x"},                          // no such kind
        {xlsNumber, 1, 0, "12,5"},               // no number
        {xlsNumber, 1, 0, "1e"},                 // no number either
        {xlsText, 65536, 0, "x"},                // past the last row
        {xlsText, 0, 256, "x"},                  // past the last column
        {xlsText, -1, 0, "x"},                   // before the first row
        {xlsText, 1, 0, AnsiString(32768, 'x')}, // longer than a cell holds
    };
    for (const auto& cell : bad)
        EXPECT_THROW(filter.WriteData(cell.Kind, cell.Row, cell.Text, cell.Column), EXLSFilterError)
            << cell.Kind << " " << cell.Row << " " << cell.Column << " " << cell.Text.substr(0, 10);
    filter.CloseStream();
    const TReadBook book = ReadBack(path);
    ASSERT_TRUE(book.Error.empty()) << book.Error;
    EXPECT_EQ(book.Cells.size(), 1u);
    EXPECT_DOUBLE_EQ(book.At(0, 0, 0).Number(), 42);
}

TEST_F(XlsFilterTest, AFileThatCannotBeCreatedRaisesAndAnUnfinishedOneIsRemoved) {
    TQRXLSFilter missing(Path("no/such/folder/x.xls"));
    EXPECT_THROW(missing.CreateStream(""), EFCreateError);
    EXPECT_FALSE(missing.Active());

    const std::string path = Path("unfinished.xls");
    {
        TQRXLSFilter filter(path);
        filter.CreateStream("");
        filter.WriteData(xlsNumber, 0, "1", 0);
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
