// The catalogue as a register map: no two variables claim the same bit, and
// nothing is packed beyond the image.
// (Its names, classes, widths and help texts are pinned by the case
// help-listing; its positions by the examples' pinned images.)
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "vartable/catalog.h"
#include "driver/driver.h"
#include "output/setregs.h"
#include "vartable/strtab.h"

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

// Packing at an index beyond the image (3561 registers) is reported and
// stores nothing; the last register takes its field.
TEST(Catalog, PackingBeyondTheImageIsReported) {
  init();
  testing::internal::CaptureStderr();
  setreg(3561, 0, 4, 5);
  setreg(3560, 0, 4, 5);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Bad address 3561\n");
  EXPECT_EQ(regs[3560], 5);
}
