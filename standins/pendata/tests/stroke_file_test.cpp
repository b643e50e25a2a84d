#include "stroke_file.h"
#include "test_fixtures.h"

#include <gtest/gtest.h>

#include <locale>

namespace pendata {
namespace {

using testing::MixedRecord;
using testing::SameRecord;
using testing::SampleSignature;

// Digits grouped in threes, as many user locales write them.
struct Grouping : std::numpunct<char> {
  explicit Grouping(char separator) : separator_(separator) {}
  char do_thousands_sep() const override { return separator_; }
  std::string do_grouping() const override { return "\3"; }
  char separator_;
};

// Sets the process-wide C++ locale for the scope of a test.
class GlobalLocale {
public:
  explicit GlobalLocale(const std::locale& l) : old_(std::locale::global(l)) {}
  ~GlobalLocale() { std::locale::global(old_); }

private:
  std::locale old_;
};

// A stroke file is the same text whatever locale the process runs under.
TEST(StrokeFile, ReadsAndWritesTheSameTextUnderAGroupingLocale) {
  const PenRecord sample = SampleSignature(), mixed = MixedRecord();
  const std::string plainSample = FormatStrokeFile(sample), plainMixed = FormatStrokeFile(mixed);
  ASSERT_NE(plainMixed.find(" 4000000000 "), std::string::npos);
  for (char separator : {' ', '\'', ','}) {
    SCOPED_TRACE(::testing::Message() << "separator '" << separator << "'");
    GlobalLocale grouping(std::locale(std::locale::classic(), new Grouping(separator)));
    EXPECT_TRUE(FormatStrokeFile(sample) == plainSample); // not EXPECT_EQ: 30 kB of text
    EXPECT_TRUE(FormatStrokeFile(mixed) == plainMixed) << FormatStrokeFile(mixed);
    for (const PenRecord* r : {&sample, &mixed}) {
      PenRecord back;
      EXPECT_TRUE(ParseStrokeFile(FormatStrokeFile(*r), &back));
      EXPECT_TRUE(SameRecord(*r, back));
    }
    EXPECT_TRUE(SameRecord(SampleSignature(), sample)); // read from the file
    // Grouped digits are not a number in a stroke file.
    const std::string grouped = std::string("extent 2") + separator + "000 800\nstroke\n1 1\n";
    PenRecord out;
    EXPECT_FALSE(ParseStrokeFile(grouped, &out)) << grouped;
  }
}

} // namespace
} // namespace pendata
