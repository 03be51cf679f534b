// Recognition of the picked kernel file by the tag file: which keys are read,
// in which order, and when the file counts as listed.
#include "upgrade/tag_file.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// A tag file in memory with the profile reader's case-blind names, and one file.
class CFakeTagFilePort : public CTagFilePort {
public:
    BOOL fileExists = TRUE;
    uint32_t sizeLow = 0;
    std::map<std::string, uint32_t> values; // "SECTION/KEY" in capitals
    std::vector<std::string> queries;
    std::vector<std::string> reads; // "section/key" as asked

    BOOL QueryFileSize(const char *path, uint32_t *pSizeLow) override {
        queries.push_back(path);
        if (!fileExists)
            return FALSE;
        *pSizeLow = sizeLow;
        return TRUE;
    }
    uint32_t ReadProfileInt(const char *section, const char *key) override {
        const std::string name = std::string(section) + "/" + key;
        reads.push_back(name);
        const auto it = values.find(Upper(name));
        return it == values.end() ? 0 : it->second;
    }
    static std::string Upper(std::string text) {
        for (char &c : text)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return text;
    }
};

const char kPath[] = "E:\\I386\\NTOSKRNL.EXE";

TEST(TagFile, ListsOnlyTheSizesBeforeTheFirstZero) {
    struct Row {
        const char *name;
        const char *servicePack;
        const char *picked; // the name as the dialog returns it
        BOOL exists;
        uint64_t size; // the file's full size; only its low 32 bits reach the rule
        std::map<std::string, uint32_t> tag;
        BOOL listed;
        std::vector<std::string> reads;
    };
    const std::string a1 = "TAGFILE_INFO_SPa/NTOSKRNL.EXE1", a2 = "TAGFILE_INFO_SPa/NTOSKRNL.EXE2",
                      a3 = "TAGFILE_INFO_SPa/NTOSKRNL.EXE3", a4 = "TAGFILE_INFO_SPa/NTOSKRNL.EXE4";
    const Row rows[] = {
        {"single match",
         "Service Pack 6a",
         "NTOSKRNL.EXE",
         TRUE,
         917248,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 917248}},
         TRUE,
         {a1, a2}},
        {"match at key 1 still reads on",
         "Service Pack 6a",
         "NTOSKRNL.EXE",
         TRUE,
         100,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 100},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE2", 200},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE3", 300}},
         TRUE,
         {a1, a2, a3, a4}},
        {"match at the last key",
         "Service Pack 6a",
         "NTOSKRNL.EXE",
         TRUE,
         300,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 100}, {"TAGFILE_INFO_SPA/NTOSKRNL.EXE2", 300}},
         TRUE,
         {a1, a2, a3}},
        {"no match: k + 1 reads",
         "Service Pack 6a",
         "NTOSKRNL.EXE",
         TRUE,
         999,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 100}, {"TAGFILE_INFO_SPA/NTOSKRNL.EXE2", 200}},
         FALSE,
         {a1, a2, a3}},
        {"gap at key 3 hides key 4",
         "Service Pack 6a",
         "NTOSKRNL.EXE",
         TRUE,
         400,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 100},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE2", 200},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE4", 400}},
         FALSE,
         {a1, a2, a3}},
        // 5
        {"a value of 0 ends the list",
         "Service Pack 6a",
         "NTOSKRNL.EXE",
         TRUE,
         200,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 0}, {"TAGFILE_INFO_SPA/NTOSKRNL.EXE2", 200}},
         FALSE,
         {a1}},
        {"a file of size 0 is never listed",
         "Service Pack 6a",
         "NTOSKRNL.EXE",
         TRUE,
         0,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 0}},
         FALSE,
         {a1}},
        {"empty tag file", "Service Pack 6a", "NTOSKRNL.EXE", TRUE, 917248, {}, FALSE, {a1}},
        {"only the high 32 bits differ",
         "Service Pack 6a",
         "NTOSKRNL.EXE",
         TRUE,
         (uint64_t(3) << 32) | 917248,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 917248}},
         TRUE,
         {a1, a2}},
        {"lower-case pick, capital keys",
         "Service Pack 6a",
         "ntoskrnl.exe",
         TRUE,
         917248,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 917248}},
         TRUE,
         {"TAGFILE_INFO_SPa/ntoskrnl.exe1", "TAGFILE_INFO_SPa/ntoskrnl.exe2"}},
        // 10
        {"another name has keys of its own",
         "Service Pack 6a",
         "NTOSKRNL.EXX",
         TRUE,
         917248,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 917248}},
         FALSE,
         {"TAGFILE_INFO_SPa/NTOSKRNL.EXX1"}},
        {"only the last character picks the section",
         "Service Pack 6",
         "NTOSKRNL.EXE",
         TRUE,
         916736,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 916736},
          {"TAGFILE_INFO_SP6/NTOSKRNL.EXE1", 915200},
          {"TAGFILE_INFO_SP6/NTOSKRNL.EXE2", 916736}},
         TRUE,
         {"TAGFILE_INFO_SP6/NTOSKRNL.EXE1", "TAGFILE_INFO_SP6/NTOSKRNL.EXE2", "TAGFILE_INFO_SP6/NTOSKRNL.EXE3"}},
        {"texts ending alike share a section",
         "Beta 6",
         "NTOSKRNL.EXE",
         TRUE,
         916736,
         {{"TAGFILE_INFO_SP6/NTOSKRNL.EXE1", 916736}},
         TRUE,
         {"TAGFILE_INFO_SP6/NTOSKRNL.EXE1", "TAGFILE_INFO_SP6/NTOSKRNL.EXE2"}},
        {"empty service pack text",
         "",
         "NTOSKRNL.EXE",
         TRUE,
         500,
         {{"TAGFILE_INFO_SP/NTOSKRNL.EXE1", 500}},
         TRUE,
         {"TAGFILE_INFO_SP/NTOSKRNL.EXE1", "TAGFILE_INFO_SP/NTOSKRNL.EXE2"}},
        {"ordinals run past 9 without leading zeros",
         "Service Pack 6a",
         "NTOSKRNL.EXE",
         TRUE,
         10,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 1},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE2", 2},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE3", 3},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE4", 4},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE5", 5},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE6", 6},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE7", 7},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE8", 8},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE9", 9},
          {"TAGFILE_INFO_SPA/NTOSKRNL.EXE10", 10}},
         TRUE,
         {a1, a2, a3, a4, "TAGFILE_INFO_SPa/NTOSKRNL.EXE5", "TAGFILE_INFO_SPa/NTOSKRNL.EXE6",
          "TAGFILE_INFO_SPa/NTOSKRNL.EXE7", "TAGFILE_INFO_SPa/NTOSKRNL.EXE8", "TAGFILE_INFO_SPa/NTOSKRNL.EXE9",
          "TAGFILE_INFO_SPa/NTOSKRNL.EXE10", "TAGFILE_INFO_SPa/NTOSKRNL.EXE11"}},
        // 15
        {"missing file: no read",
         "Service Pack 6a",
         "NTOSKRNL.EXE",
         FALSE,
         917248,
         {{"TAGFILE_INFO_SPA/NTOSKRNL.EXE1", 917248}},
         FALSE,
         {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CFakeTagFilePort port;
        port.fileExists = row.exists;
        port.sizeLow = static_cast<uint32_t>(row.size);
        port.values = row.tag;
        EXPECT_EQ(IsListedInTagFile(kPath, row.picked, row.servicePack, port), row.listed);
        EXPECT_EQ(port.queries, std::vector<std::string>{kPath});
        EXPECT_EQ(port.reads, row.reads);
    }
}

} // namespace
