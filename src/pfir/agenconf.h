// agenconf.h — the PFIR address-generator planner AgenConf and its one
// instance AC. It names a filter case from eight properties, decides whether
// the filter hardware can run it (fixed rules plus the table of tested
// cases), and works out the address tables and register values of an
// accepted case. fir_config drives it one channel at a time:
//   Init, SetName, ValidCase, then SetTables, SetRegs and reads.
#pragma once
#include <string>

// Coefficient address generator.
struct CCoefReg {
  int RepC;
  int ModC;
  int OfsC;
};

// Data address generator.
struct CAgenReg {
  bool TogEn;
  int ModD;
  int DepD;
  int RecR;
};

// Start registers of one address-generator pair: r_ members belong to the
// read generator, w_ members to the write generator.
struct CAgenSReg {
  int StepN;
  int r_SDepD;
  int r_SRecR;
  int r_SOffset;
  int w_WRecRL;
  int w_SDepD;
  int w_SRecR;
  int w_SOffset;
};

class AgenConf {
 public:
  // ---- Case selection ----
  void Init();
  // Sets the case from its eight properties; gives up the planning (and the
  // run) on a value out of range or an accumulator that cannot be set.
  void SetName(int tdiff, int tdata, int tcoef, int tnchan, int tinrate, int tSym, int tdeci,
               int tinterp);
  // Sets the case from an eight-letter case name such as "SRR48N11".
  void SetName(const char* cname);
  char* NameCase();
  char* Getcasename();
  bool ValidCase();
  // opt 1 keeps the catalogue lookup quiet (all but a failing entry).
  bool ValidCase(int opt);
  const char* GetReason();
  // Steps to the next acceptable case of the fixed walk; false at its end.
  bool NextCase();
  void fircasechk(const char* cname, int pass);

  // ---- Tables and registers of an accepted case ----
  // A table write out of bounds gives up the planning, as above.
  void SetTables();
  void SetRegs();
  void SetSyncCount();

  void SetFWAsTable(int a, int c);
  void SetBWAsTable(int a, int c);
  void SetBWAesTable(int a, int c);
  void SetBBLKeTable(int a, int c);
  void SetBRAeTable(int a, int c);
  void SetBWAeTable(int a, int c);
  void SetSWTable(int a, int c);
  void SetBeReadBypass(int a, int c);

  int GetFWAsTable(int aa);
  int GetBWAsTable(int aa);
  int GetBRAeTable(int aa);
  int GetBBLKeTable(int aa);
  int GetSWTable(int aa);

  int GetSymEn();
  int GetFWAs();
  int GetBWAs();
  int GetBRBypass();
  int GetFirClkCnt();
  int GetBERAM(int aa);
  int GetDataType();

  // ---- The case ----
  int diff = 0;    // 0 same coefficients for all channels, 1 different
  int data = 0;    // 1 real, 2 complex input
  int coef = 0;    // 1 real, 2 complex coefficients
  int nchan = 0;   // channels time-shared in the filter
  int inrate = 0;  // filter clock cycles per input sample
  int Sym = 0;     // 0 none, 1 odd, 2 even
  int deci = 0;
  int interp = 0;

  // ---- Derived quantities ----
  int N = 0;
  int R = 0;
  int D = 0;
  int RepC = 0;
  int ModC = 0;
  int OfsC = 0;
  int outrate = 0;
  int dataout = 0;
  int AcumCnt = 0;
  int AcumDly = 0;
  int forward_broadcast = 0;

  char casename[9] = {};
  const char* reason = "";
  int caseexist = 0;

  // ---- Registers ----
  int SWCntN = 0;
  CCoefReg CoefReg = {};
  CAgenReg Areg = {};
  CAgenSReg FAreg = {};
  CAgenSReg BAreg = {};
  CAgenSReg BeAreg = {};
  int SyncCount = 0;
  int DstartEC = 0;

  // ---- Tables ----
  int FWAs_Table[16] = {};
  int BWAs_Table[16] = {};
  int BWAe_Table[32] = {};
  int BRAe_Table[16] = {};
  int BBLKe_Table[32] = {};
  int BWAes_Table[32] = {};
  int BeReadBypass[16] = {};
  int SW_Table[16] = {};
  bool LTogEn = false;
  int ModD = 0;

 private:
  // The walk's state: the (deci, interp) pairs in walk order and the
  // position in them.
  int decid[34] = {};
  int interpid[34] = {};
  int id = 0;

  // Writes the derived quantities from the eight properties.
  void derive_quantities();
  // ValidCase's rules; each gives the reason for refusing the case.
  const char* shape_objection() const;
  const char* capacity_objection() const;
  const char* even_split_objection() const;
  void look_up_tested_case(int opt);
  // SetRegs' steps, one per group of registers.
  int set_data_and_coef_regs();
  void set_forward_pair();
  void set_backward_pair(int negstep);
  void set_be_pair(int negstep);
  void set_backward_write_strobes();
  void set_block_enables();
  void set_be_read_addresses();
  void set_be_write_addresses();
  void override_long_symmetric_decimation();
  void set_swap_order();
};

extern AgenConf AC;

// Returns AC to the state it has at program start.
void reset_agenconf();

// An early end of the run: reports `text` as an error at its fixed report
// site and ends the run with status -1. It throws RunEnded (diag.h),
// which the driver catches; the process goes on with its next control file.
[[noreturn]] void give_up_planning(const std::string& text, const char* tag, int line);
