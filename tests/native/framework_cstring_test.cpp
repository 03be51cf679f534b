// CString: pieces clamped to the text, appending (also from itself), formatting,
// upper case, embedded zeros and the buffer protocol.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>

#include "framework/cstring.h"
#include "framework/text_format.h"

namespace {

std::string Bytes(const CString& s) { return std::string(static_cast<const char*>(s), s.GetLength()); }

TEST(CString, PiecesAreClampedToTheText) {
    const CString text("E:\\I386\\NTOSKRNL.EXE");
    struct Row {
        const char* name;
        CString piece;
        const char* expected;
    } const rows[] = {
        {"Left inside", text.Left(7), "E:\\I386"},
        {"Left past the end", text.Left(99), "E:\\I386\\NTOSKRNL.EXE"},
        {"Left negative", text.Left(-1), ""},
        {"Mid to the end", text.Mid(8), "NTOSKRNL.EXE"},
        {"Mid with count", text.Mid(8, 8), "NTOSKRNL"},
        // 5
        {"Mid count past the end", text.Mid(17, 10), "EXE"},
        {"Mid start past the end", text.Mid(40), ""},
        {"Mid negative start", text.Mid(-3, 2), "E:"},
        {"Right inside", text.Right(3), "EXE"},
        {"Right past the start", text.Right(50), "E:\\I386\\NTOSKRNL.EXE"},
        // 10
        {"Right zero", text.Right(0), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_STREQ(row.piece, row.expected);
        EXPECT_EQ(row.piece.GetLength(), static_cast<int>(std::string(row.expected).size()));
    }
}

TEST(CString, AppendingAndComparing) {
    CString s;
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(s, "");
    s += "Service";
    s += ' ';
    s += CString("Pack");
    s = s + " " + "6" + 'a';
    EXPECT_EQ(s, "Service Pack 6a");
    EXPECT_TRUE("Service Pack 6a" == s);
    EXPECT_TRUE(s != "Service Pack 6");
    EXPECT_EQ(CString("Tag") + s, "TagService Pack 6a");

    // From itself, across a reallocation.
    CString twice("abcdefgh");
    twice += twice;
    EXPECT_EQ(twice, "abcdefghabcdefgh");
    twice = twice.Mid(4, 4); // assigning a piece of itself
    EXPECT_EQ(twice, "efgh");

    CString copy(s);
    copy += "!";
    EXPECT_EQ(s, "Service Pack 6a"); // copies do not share text
    CString moved(static_cast<CString&&>(copy));
    EXPECT_EQ(moved, "Service Pack 6a!");
    EXPECT_TRUE(copy.IsEmpty());
    CString null(static_cast<const char*>(nullptr));
    EXPECT_TRUE(null.IsEmpty());
}

TEST(CString, EmbeddedZerosCountInLengthAndEquality) {
    CString a("x");
    a += '\0';
    a += "y";
    EXPECT_EQ(a.GetLength(), 3);
    EXPECT_EQ(Bytes(a), std::string("x\0y", 3));
    CString b("x");
    b += '\0';
    b += "z";
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a == CString(a));
}

TEST(CString, FormatAndMakeUpper) {
    CString s;
    s.Format("%d", 4);
    EXPECT_EQ(s, "4");
    s.Format("ERROR: Could not map view of %08X length %08X!", 0xE0000u, 0x20000u);
    EXPECT_EQ(s, "ERROR: Could not map view of 000E0000 length 00020000!");
    std::string longText(1000, 'q');
    s.Format("%s-%s", longText.c_str(), "end");
    EXPECT_EQ(s.GetLength(), 1004);
    EXPECT_EQ(s.Right(4), "-end");

    CString upper("ntoskrnl.ex? 6a ä");
    upper.MakeUpper();
    EXPECT_EQ(upper, "NTOSKRNL.EX? 6A ä"); // ASCII letters only
}

int FormatInto(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int length = FormatTextV(buffer, size, format, args);
    va_end(args);
    return length;
}

TEST(CString, FormatTextFitsOrSaysSo) {
    // "12345678" needs nine bytes with its zero.
    struct Row {
        size_t size;
        int result;
        const char* buffer;
    };
    const Row rows[] = {
        {32, 8, "12345678"}, {9, 8, "12345678"}, {8, -1, "1234567"}, {2, -1, "1"}, {1, -1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        char buffer[40];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(FormatInto(buffer, row.size, "%08X", 0x12345678u), row.result);
        EXPECT_STREQ(buffer, row.buffer);
        EXPECT_EQ(buffer[row.size], '#') << "wrote past the buffer";
    }
}

TEST(CString, FormatGrowsForLongTexts) {
    // Around the stack buffer (255 characters) and the doublings after it.
    const int lengths[] = {0, 1, 254, 255, 256, 257, 511, 512, 513, 1023, 1024, 1025, 5000, 70000};
    for (int length : lengths) {
        SCOPED_TRACE(length);
        const std::string text(static_cast<size_t>(length), 'x');
        CString s("previous text");
        s.Format("%s", text.c_str());
        EXPECT_EQ(Bytes(s), text);
        s.Format("[%s]%d", text.c_str(), 7);
        EXPECT_EQ(Bytes(s), "[" + text + "]7");
    }
}

TEST(CString, FormatReadsItsOwnText) {
    CString s(std::string(300, 'a').c_str());
    s.Format("%s|%s", static_cast<const char*>(s), static_cast<const char*>(s));
    EXPECT_EQ(Bytes(s), std::string(300, 'a') + "|" + std::string(300, 'a'));
    CString t("short");
    t.Format("<%s>", static_cast<const char*>(t));
    EXPECT_EQ(Bytes(t), "<short>");
}

TEST(CString, FormatKeepsEmbeddedZeros) {
    CString s;
    s.Format("a%cb", 0);
    EXPECT_EQ(Bytes(s), std::string("a\0b", 3));
}

TEST(CString, BufferProtocol) {
    CString s("abc");
    char* p = s.GetBuffer(10);
    EXPECT_STREQ(p, "abc");
    p[3] = 'd';
    p[4] = '\0';
    s.ReleaseBuffer();
    EXPECT_EQ(s, "abcd");
    p = s.GetBuffer(2); // never shrinks below the text
    p[1] = '\0';
    s.ReleaseBuffer(-1);
    EXPECT_EQ(s, "a");
    s.GetBuffer(8);
    s.ReleaseBuffer(0);
    EXPECT_TRUE(s.IsEmpty());
}

} // namespace
