/* config_replay.c — a host program as a board's firmware would be written:
 * it includes the generated register table, loads it into a simulated chip
 * through its own config_tq7420, and loads the board-loader script of the
 * same run into a second simulated chip. It checks that both describe the
 * same writes (the script adding a page select only when the page changes),
 * that both chips end in the same state, and prints that state.
 *
 * Build: cc -std=c99 -I<dir of the header> -DREGS_HEADER='"name.h"' this.c
 * Run:   ./a.out name.kx330      exit status 0 when everything agrees */
#include <stdio.h>
#include <string.h>

#include REGS_HEADER

#define PAGE_REG 2

struct chip {
  unsigned direct[16];
  unsigned paged[256][16];
  int direct_set[16];
  int paged_set[256][16];
};

static struct chip from_header, from_script;

static void chip_write(struct chip *c, int addr, unsigned val) {
  val &= 0xffffu;
  if (addr < 16) {
    c->direct[addr] = val;
    c->direct_set[addr] = 1;
  } else {
    unsigned page = c->direct[PAGE_REG] & 0xffu;
    c->paged[page][addr - 16] = val;
    c->paged_set[page][addr - 16] = 1;
  }
}

/* Selects the page before every paged write: the simplest correct loader. */
static void config_tq7420(struct chip *c) {
  int i;
  for (i = 0; i < nwrites; i++) {
    if (regs[i].page != -1) chip_write(c, PAGE_REG, (unsigned)regs[i].page & 0xffffu);
    chip_write(c, regs[i].addr, (unsigned)regs[i].val & 0xffffu);
  }
}

static int read_line(FILE *f, unsigned *addr, unsigned *val) {
  return fscanf(f, " dwr16 %x %x", addr, val) == 2;
}

int main(int argc, char **argv) {
  FILE *f;
  int i, last_page = -1, selects = 0, lines = 0, p, a;
  unsigned addr, val;
  if (argc != 2 || !(f = fopen(argv[1], "r"))) {
    fprintf(stderr, "usage: config_replay file.kx330\n");
    return 2;
  }
  config_tq7420(&from_header);
  for (i = 0; i < nwrites; i++) {
    int page = regs[i].page;
    if (page != -1 && page != last_page) {
      if (!read_line(f, &addr, &val) || addr != PAGE_REG || val != (unsigned)page) {
        fprintf(stderr, "entry %d: no page select for page %x\n", i, page);
        return 1;
      }
      chip_write(&from_script, (int)addr, val);
      ++selects;
      ++lines;
      last_page = page;
    }
    if (!read_line(f, &addr, &val) || addr != (unsigned)regs[i].addr ||
        val != ((unsigned)regs[i].val & 0xffffu)) {
      fprintf(stderr, "entry %d: script and header differ\n", i);
      return 1;
    }
    chip_write(&from_script, (int)addr, val);
    ++lines;
  }
  while (read_line(f, &addr, &val)) ++lines;
  fclose(f);
  if (lines != nwrites + selects) {
    fprintf(stderr, "script has %d lines for %d writes and %d page selects\n", lines, nwrites,
            selects);
    return 1;
  }
  if (memcmp(&from_header, &from_script, sizeof from_header) != 0) {
    fprintf(stderr, "final register states differ\n");
    return 1;
  }
  printf("writes %d selects %d\n", nwrites, selects);
  for (a = 0; a < 16; a++)
    if (from_header.direct_set[a]) printf("direct %x %x\n", a, from_header.direct[a]);
  for (p = 0; p < 256; p++)
    for (a = 0; a < 16; a++)
      if (from_header.paged_set[p][a])
        printf("page %x addr %x %x\n", p, a + 16, from_header.paged[p][a]);
  return 0;
}
