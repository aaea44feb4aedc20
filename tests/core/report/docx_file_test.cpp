// The report as a .docx, read back as a Word reader reads it (python3-docx) and as the zip of XML it is.
#include "core/report/docx_file.h"
#include "support/pile_record.h"
#include "support/scratch_folder.h"
#include "support/zip_member.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace saxolith
{
namespace
{

using test::recordOf;

namespace fs = std::filesystem;

// Every paragraph's text, then every table as rows of cells joined by " | ", then the header and footer
// paragraphs; then each part parsed as XML. Fails (exit status) when the file cannot be opened.
constexpr const char *readerScript = R"(
import sys, zipfile, xml.dom.minidom
import docx
d = docx.Document(sys.argv[1])
for p in d.paragraphs:
    print('P[%s] %s' % (p.style.name, p.text))
for t in d.tables:
    for r in t.rows:
        print('R ' + ' | '.join(c.text for c in r.cells))
s = d.sections[0]
print('SIZE %d %d' % (s.page_width.mm, s.page_height.mm))
for p in s.header.paragraphs:
    print('HEADER ' + p.text)
for p in s.footer.paragraphs:
    print('FOOTER ' + p.text)
z = zipfile.ZipFile(sys.argv[1])
for name in z.namelist():
    if name.endswith('.xml') or name.endswith('.rels'):
        xml.dom.minidom.parseString(z.read(name))
foot = z.read('word/footer1.xml').decode('utf-8')
print('FIELDS %d %d' % (foot.count(' PAGE '), foot.count(' NUMPAGES ')))
print('HEADROWS %d' % z.read('word/document.xml').decode('utf-8').count('<w:tblHeader/>'))
)";

[[maybe_unused]] std::string readBack(const fs::path &file) // unused where python3 cannot run
{
    const fs::path script = file.parent_path() / "read.py";
    std::ofstream(script) << readerScript;
    // Debian's own interpreter, the one python3-docx is installed for.
    const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    std::array<char, 4096> buffer{};
    while (pipe && fgets(buffer.data(), static_cast<int>(buffer.size()), pipe.get()) != nullptr) {
        out += buffer.data();
    }
    const int status = pclose(pipe.release());
    EXPECT_EQ(status, 0) << out;
    return out;
}

class DocxFile : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        scratch.emplace("docx");
        folder = scratch->path();
    }
    void TearDown() override { scratch.reset(); }
    std::optional<test::ScratchFolder> scratch;
    fs::path folder;
};

#ifndef _WIN32 // the reader is the host's python3-docx, which wine cannot start
TEST_F(DocxFile, AWordReaderSeesTheTextsTablesHeaderAndFooter)
{
    ReportSettings settings;
    // Texts a user may type that XML must not take as its own.
    settings.titleBlock = {"滨江 <花园> & \"二期\"",
                           "2026-017",
                           "3#楼",
                           "某设计院",
                           "张三",
                           "李四",
                           "王五",
                           "2026-12-10",
                           "赵六",
                           "钱七",
                           "初步设计",
                           "JS-01"};
    settings.concreteGrade = "C35";
    ReportBuilder builder(settings);
    builder.addPile(recordOf([](CalculationInput &) {}), "ZH1");
    builder.addPile(recordOf([](CalculationInput &in) {
                        in.firstDimension = "1200";
                        in.route = StrengthRoute::QpaGiven;
                        in.qpa = "30000";
                    }),
                    std::string("ZH\x01") + "2\xff");
    const fs::path file = folder / "report.docx";
    const std::optional<std::string> error = writeReportDocx(builder.finish(), test::nameOf(file));
    ASSERT_FALSE(error.has_value()) << *error;

    const std::string text = readBack(file);
    for (const char *expected : {
             "P[Title] 嵌岩桩竖向承载力计算书",
             "R 工程名称 | 滨江 <花园> & \"二期\"",
             "R 设计 | 张三 |  | 2026-12-10",
             "R 审定 | 赵六 |  | 2026-12-10",
             "R 专业负责人 | 钱七 |  | 2026-12-10",
             "R 设计阶段 | 初步设计",
             "R 注册工程师执业印章",
             "P[Body Text] 2. 桩底无沉渣；",
             "R 混凝土强度等级 | C35（fc = 16.7 N/mm²）",
             "P[Heading 1] 基桩 ZH1（圆桩）",
             "P[Formula] Ap = π·d²/4 = 3.14159 × 1.000² / 4 = 0.7854 m²",
             "P[Formula] Ra = qpa·Ap = 7000 × 0.7854 = 5497.79 kN → 5498 kN",
             "P[Formula] γ·Ra = 1.35 × 5497.79 = 7422.01 kN ≤ Rp = 9181.3 kN，满足",
             "P[Heading 1] 基桩 ZH 2\xef\xbf\xbd（圆桩）",
             "不满足",
             "R 桩号 | 截面 | 尺寸(mm) | ψr | qpa(kPa) | Ra(kN) | Rp/γ(kN) | 采用值(kN) | 桩身强度",
             "R ZH1 | 圆桩 | d1000 | 0.2000 | 7000 | 5498 | 6801 | 5498 | 满足",
             "SIZE 210 297",
             "HEADER 滨江 <花园> & \"二期\"\t嵌岩桩竖向承载力计算书",
             "FOOTER 第 1 页 共 1 页",
             "FIELDS 1 1",
             "HEADROWS 5",
         }) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
}
#endif

TEST_F(DocxFile, IsWrittenUnderAnyNameAndAFailedWriteNamesTheFile)
{
    ReportBuilder builder{ReportSettings{}};
    builder.addPile(recordOf([](CalculationInput &) {}), "ZH1");
    const ReportDocument document = builder.finish();
    const std::string written = scratch->file("计算 报告.docx");
    ASSERT_FALSE(writeReportDocx(document, written));
    EXPECT_NE(test::zipMember(filePath(written), "word/document.xml").find("ZH1"), std::string::npos);

    const std::string file = scratch->file("missing/report.docx");
    const std::optional<std::string> error = writeReportDocx(document, file);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find(file), std::string::npos) << *error;
    EXPECT_FALSE(fs::exists(filePath(file)));
}

} // namespace
} // namespace saxolith
