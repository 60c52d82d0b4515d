// records.h — the chip-wide record GENERAL (g) and the four channel records
// CHAN (chan[0..3], channels A to D). The leading fields are the control-file
// variables in catalogue order; the fields after them are set only by the
// program. An int variable holds -1 and a double -1.0 while it is not set.
// Also the direction of a pair in its two stored forms (g.mode and each
// channel's xmt) as named constants, and the per-channel questions asked of
// the records everywhere: the pair's direction and its split-I/Q.
#pragma once

// The 85 chip-wide control-file variables, in catalogue order.
struct GeneralVars {
  int ck_loss_status;
  int en_ck_loss;
  int pwr_dwn_fir_A;
  int pwr_dwn_fir_B;
  int pwr_dwn_fir_C;
  int pwr_dwn_fir_D;
  int pwr_dwn_cic_AB;
  int pwr_dwn_cic_CD;
  int master_reset;
  int soB_sync;
  int one_shot;
  int page;
  int chip_rev;
  int en_AO;
  int en_AFS;
  int en_BO;
  int en_BFS;
  int en_CO;
  int en_CFS;
  int en_DO;
  int en_DFS;
  int en_soB;
  int ckp_A;
  int ckp_B;
  int ckp_C;
  int ckp_D;
  int sumin_clr;
  int tx_pat_gen;
  int rcv_cksum;
  int sum_selI;
  int sum_selQ;
  int sum_shift;
  int sum_ia;
  int sum_ib;
  int sum_qa;
  int sum_qb;
  int sum_in;
  int sum_of_Ia;
  int sum_of_Ib;
  int sum_of_Qa;
  int sum_of_Qb;
  int rcv_noise_A;
  int rcv_noise_B;
  int rcv_noise_C;
  int rcv_noise_D;
  int rinf_sel_A;
  int rinf_sel_B;
  int rinf_sel_C;
  int rinf_sel_D;
  int gen_timer;
  int rinf_zpad;
  int rinf_diag;
  int gen_timer_test;
  int gen_timer_sync;
  int cksum_sync_front;
  int rinf_zpad_sync;
  int toutf_hold_sync;
  int toutf_do;
  int toutf_co;
  int toutf_bo;
  int toutf_rnd_AB;
  int toutf_offsetbin;
  int toutf_halfcmplx_AB;
  int toutf_hold;
  int toutf_rnd_CD;
  int toutf_quiet_CD;
  int toutf_halfcmplx_CD;
  int toutf_xmt_CD;
  int toutf_sumin;
  int toutf_xmt_AB;
  int t_cksum;
  int sync_mode;
  int rin_cmplx;
  int rin_rate;
  int routf_tdm;
  int tinf_tdm;
  int tout_cmplx;
  int tout_res;
  int tout_nsig;
  int tout_rate;
  int tout_sumin;
  int splitiqAB;
  int splitiqCD;
  int splitiq;
  double fck;
};

// The direction of a pair in g.mode[pair] (pairs AB and CD).
constexpr int kModeUnset = -1;  // no mode declared yet
constexpr int kModeTransmit = 1;
constexpr int kModeReceive = 2;

// The same direction in each channel's xmt, as the catalogue and the
// register map read it (-1 while its pair has no mode).
constexpr int kXmtTransmit = 1;
constexpr int kXmtReceive = 0;

struct GENERAL : GeneralVars {
  int mode[2];   // per pair (AB, CD): kModeUnset, kModeTransmit or kModeReceive
  int printout;  // open outputs: 1 anl, 2 kx330, 4 sim, 8 tbl, 16 dbg, 32 h
  int chanin;
  int chanout;
};

// The 165 per-channel control-file variables, in catalogue order.
struct ChanVars {
  int coef_ofsc;
  int coef_modc;
  int coef_repc;
  int coef_sym;
  int coef_zerofr;
  int agen_recr;
  int agen_depd;
  int agen_modd;
  int agen_togen;
  int fragen_soff;
  int fragen_srecr;
  int fragen_sdepd;
  int fragen_stepn;
  int fwagen_soff;
  int fwagen_srecr;
  int fwagen_sdepd;
  int fwagen_wrecrl;
  int bragen_soff;
  int bragen_srecr;
  int bragen_sdepd;
  int bragen_stepn;
  int bwagen_soff;
  int bwagen_srecr;
  int bwagen_sdepd;
  int bwagen_wrecrl;
  int beragen_soff;
  int beragen_srecr;
  int beragen_sdepd;
  int beragen_stepn;
  int bewagen_soff;
  int bewagen_srecr;
  int bewagen_sdepd;
  int bewagen_wrecrl;
  int fwa_strobe;
  int bwa_strobe;
  int beagen_rbypass;
  int tinf_bits;
  int tinf_pins;
  int tinf_iqmux;
  int tinf_pariq;
  int tinf_src;
  int tinf_xmt;
  int fso_sel;
  int tinf_first;
  int tinf_second;
  int sck_div;
  int tinf_fso_dly;
  int tinf_fs_cnt;
  int tinf_nfs;
  int gain_lsb;
  int gain_msb;
  int agc_freeze;
  int gain_rnd;
  int gain_half;
  int agc_hold;
  int agc_gain_out;
  int agc_zmag;
  int agc_min;
  int agc_max;
  int agc_zero_cnt;
  int agc_sat_cnt;
  int agc_thresh;
  int agc_Dblw;
  int agc_Dabv;
  int agc_Dzro;
  int agc_Dsat;
  int gain_read;
  int pwr_meter_lsb;
  int pwr_meter_msb;
  int pwr_meter_trig;
  int pwr_mtr_integ;
  int pwr_mtr_on;
  int routf_pins;
  int routf_bits;
  int routf_iqmux;
  int routf_pwrdown;
  int routf_ctdm;
  int pwr_test;
  int swap_wa_cnt;
  int swap_ra_cnt;
  int swap_xmt;
  int swap_cmplx;
  int fir_fb;
  int swap_fb;
  int swap_rcv_tdly;
  int acc_dly;
  int acc_cnt;
  int acc_dly0;
  int acc_bypass;
  int acc_enram;
  int fir_shift;
  int fir_xenq;
  int fir_xeni;
  int fir_half;
  int fir_rnd20;
  int fir_cmplx;
  int fir_sync_cnt;
  int fir_clk_cnt;
  int fir_clk_cnt_en;
  int fir_test;
  int fir_en_sync_cnt;
  int cksum_sync_back;
  int fir_sync;
  int coef_sync;
  int gain_sync;
  int pwr_mtr_sync;
  int sck_sync;
  int cic_shift;
  int cic_rcv;
  int cic_xmt_5stg;
  int cic_rshift;
  int cic_2x;
  int cic_xmt_d6stg;
  int cic_rcv_cross;
  int cic_rcv_full;
  int cic_bypass;
  int cic_fl_status;
  int phase;
  int freq_lsb;
  int freq_mid;
  int freq_msb;
  int mix_rcv_sel;
  int mix_rcv_cmplx;
  int mix_inv_qsin;
  int mix_qsin;
  int mix_inv_qcos;
  int mix_qcos;
  int mix_inv_isin;
  int mix_isin;
  int mix_inv_icos;
  int mix_icos;
  int freq_sync;
  int phase_sync;
  int dith_sync;
  int nco_sync;
  int flush_sync;
  int dith_test;
  int ncic;
  int cic_sync;
  int agc_mode;
  int agc_tc;
  int agc_cf;
  int fir_dec;
  int fir_int;
  int fir_diff;
  int fir_nchan;
  int tinf_cmplx;
  int tinf_fs_dly;
  int bypass_mix;
  int bypass_cic;
  int bypass_fir;
  int pins;
  int bits;
  int cic_int;
  int cic_dec;
  double gain;
  double overall_gain;
  double freq;
  int fir_sym;
  int xmt;
  int powerdown;
  int coefsym;
  int ncoefs;
  int maxtap;
  int sumtap;
};

constexpr int kMaxCoefs = 512;

struct CHAN : ChanVars {
  int coefs[kMaxCoefs];
  int beram[16];
  int swapram[16];
  int coefram[256];
  int origcoefs;
  int possible_inrate[16];
  int inrate;
  int agcD;
  double agcTC, power, fsample;
  double g_zpad, g_coef, g_gain, g_fir, g_cic, g_mix, g_sum, g_out, g_tot;
  double p_zpad, p_coef, p_fir, p_mix, p_cic, g_rshift;
  double n_gain, n_fir, n_mix, n_sum, n_out, n_chan;
  int fs;
  char filter_case[9];  // the PFIR case planned, such as "SCR14O21"; empty when none
};

constexpr int kNumChannels = 4;

extern GENERAL g;
extern CHAN chan[kNumChannels];

// The direction of channel ch's pair.
inline int pair_mode(int ch) { return g.mode[ch / 2]; }
inline bool is_transmit(const CHAN& c) { return c.xmt == kXmtTransmit; }
inline bool is_receive(const CHAN& c) { return c.xmt == kXmtReceive; }

// Whether split-I/Q is on for channel ch's pair (splitiqAB or splitiqCD).
inline bool split_iq_on(int ch) { return ch <= 1 ? g.splitiqAB != 0 : g.splitiqCD != 0; }

// Zeroes both records (the catalogue registration then marks every
// variable field as not set).
void reset_records();
