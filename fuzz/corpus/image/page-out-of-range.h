/* hfile for x configuration; necessary for config_tq7420 function */

struct {
    short page;
    short addr;
    short val;
} regs[] = {
    { 0xffffffff, 0x0, 0xfff0 },
    { 0x100, 0x15, 0x0 }
};

int nwrites = 2;
