// Variable catalogue: sample rows, whole-table invariants and help wrapping.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "catalog.h"
#include "driver.h"
#include "records.h"
#include "strtab.h"

TEST(Catalog, GainLsbRow) {
  init();
  yyy_STRTAB* s = yyysearchstr("gain_lsb");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->bits, 16);
  EXPECT_EQ(s->page, 19);
  EXPECT_EQ(s->addr, 19);
  EXPECT_EQ(s->start, 0);
  EXPECT_EQ(s->defalt, 4096);
  EXPECT_EQ(s->regtype, 1);
  EXPECT_EQ(s->type & 7, 3);
  EXPECT_EQ((s->type >> 3) & 7, 3);
  EXPECT_EQ((s->type >> 6) & 7, 1);
  EXPECT_EQ(s->value[2], &chan[2].gain_lsb);
  EXPECT_EQ(chan[2].gain_lsb, -1);
}

TEST(Catalog, FckIsAMandatoryChipWideDouble) {
  init();
  yyy_STRTAB* s = yyysearchstr("fck");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->regtype, 0);
  EXPECT_EQ(s->dvalue[0], &g.fck);
  EXPECT_EQ(s->value[0], nullptr);
  EXPECT_EQ(g.fck, -1.0);
  EXPECT_EQ(s->type, 0555);
  EXPECT_EQ(s->defalt, 1);
  EXPECT_EQ(s->page, kPseudoPage);
}

TEST(Catalog, RegistrationOrderAndCounts) {
  init();
  ASSERT_EQ(nfields, kCatalogSize);
  ASSERT_EQ(fields.size(), 250u);
  EXPECT_EQ(fields.front()->ptr, "ck_loss_status");
  EXPECT_EQ(fields.back()->ptr, "sumtap");
  EXPECT_EQ(fields[136]->ptr, "cic_shift");
  std::set<std::string> names;
  int chip = 0, per_channel = 0;
  for (yyy_STRTAB* s : fields) {
    names.insert(s->ptr);
    (s->regtype == 0 ? chip : per_channel)++;
    EXPECT_EQ(s->refcnt, 1) << s->ptr;
  }
  EXPECT_EQ(names.size(), 250u);
  EXPECT_EQ(chip, 85);
  EXPECT_EQ(per_channel, 165);
}

TEST(Catalog, EveryValueIsBoundAndUnset) {
  init();
  for (yyy_STRTAB* s : fields) {
    int n = s->regtype == 0 ? 1 : 4;
    for (int c = 0; c < 4; ++c) {
      bool bound = c < n;
      if (is_double(s)) {
        ASSERT_EQ(s->dvalue[c] != nullptr, bound) << s->ptr;
        EXPECT_EQ(s->value[c], nullptr);
        if (bound) {
          EXPECT_EQ(*s->dvalue[c], -1.0) << s->ptr;
        }
      } else {
        ASSERT_EQ(s->value[c] != nullptr, bound) << s->ptr;
        EXPECT_EQ(s->dvalue[c], nullptr);
        if (bound) {
          EXPECT_EQ(*s->value[c], -1) << s->ptr;
        }
      }
    }
  }
  for (const CHAN& c : chan) EXPECT_EQ(c.ncoefs, -1);
}

// No two variables may claim the same bit of one register; the registers
// are compared as the packer places them (regtype 1 shifts by 32 pages per
// channel, regtype 2 puts B and D eight addresses higher).
TEST(Catalog, NoTwoRegisterFieldsOverlap) {
  init();
  std::map<long, std::string> owner;  // (register, bit) -> variable
  for (yyy_STRTAB* s : fields) {
    if (s->page == kPseudoPage) continue;
    int width = s->bits;
    for (int c = 0; c < (s->regtype == 0 ? 1 : 4); ++c) {
      int page = s->page, addr = s->addr;
      if (s->regtype == 1) page += 32 * c;
      if (s->regtype == 2) {
        page += 32 * (c / 2);
        addr += 8 * (c % 2);
      }
      long reg = s->regtype == 0 && s->addr < 16 ? addr : page * 16L + addr;
      for (int b = s->start; b < s->start + width; ++b) {
        long key = reg * 64 + b;
        auto it = owner.find(key);
        EXPECT_TRUE(it == owner.end()) << s->ptr << " overlaps " << it->second;
        owner[key] = s->ptr;
      }
      EXPECT_LE(s->start + width, 16) << s->ptr;
    }
  }
}

TEST(Catalog, HelpTextsWrapAt80Columns) {
  init();
  const std::string one_shot = yyysearchstr("one_shot")->msg;
  size_t first = one_shot.find('\n');
  size_t second = one_shot.find('\n', first + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(first, 80u);
  EXPECT_EQ(one_shot.substr(first - 10, 10), "Issues one");
  EXPECT_EQ(second - first - 1, 77u);
  EXPECT_EQ(one_shot.substr(second - 12, 12), "level output");
  EXPECT_EQ(one_shot.substr(second + 1), "0; (=3) level output 1;");
  EXPECT_EQ(yyysearchstr("en_AO")->msg, "Enable data output AO");
  for (const char* empty : {"fir_sym", "powerdown", "coefsym", "ncoefs", "maxtap", "sumtap"})
    EXPECT_EQ(yyysearchstr(empty)->msg, "") << empty;
  EXPECT_EQ(yyysearchstr("xmt")->msg, "0");
}

TEST(Catalog, AddNewlinesKeepsLongWordsWhole) {
  std::string word(90, 'x');
  std::string text = word + " tail";
  add_newlines(text);
  EXPECT_EQ(text, word + "\ntail");
  std::string unbroken(100, 'y');
  add_newlines(unbroken);
  EXPECT_EQ(unbroken, std::string(100, 'y'));
  std::string tabbed = std::string(50, 'a') + "\t" + std::string(50, 'b');
  add_newlines(tabbed);
  EXPECT_EQ(tabbed, std::string(50, 'a') + "\n" + std::string(50, 'b'));
}
