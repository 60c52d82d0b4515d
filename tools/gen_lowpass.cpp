// gen_lowpass.cpp — designs a linear-phase lowpass FIR for the PFIR: a
// windowed sinc (Kaiser window) quantised to 16-bit integers, written as a
// coefficient file, with its design parameters and its measured response in
// a ".design" file beside it.
//
//   gen_lowpass --taps N --rate MHz --pass MHz --stop MHz [--peak P] out.coef
//
// --rate is the sample rate at which the filter runs (for an interpolating
// transmit filter, the rate after interpolation); --pass and --stop are the
// passband and stopband edges in the same unit. The cutoff lies midway
// between them, and the Kaiser window's beta follows from the attenuation
// that N taps can reach over that transition band. The largest tap is scaled
// to --peak (default 32767, the largest 16-bit value); the program sets the
// channel gain from the sum of the taps, so the scale only decides how
// finely the taps are quantised.
//
// The passband ripple and stopband attenuation written to the ".design" file
// are measured on the quantised taps, not predicted.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

struct Design {
  int taps = 0;
  double rate = 0, pass = 0, stop = 0;
  int peak = 32767;
  std::string out;
  std::string command;  // the command line (output file without its directory)
};

[[noreturn]] void usage(const char* why) {
  std::fprintf(stderr, "gen_lowpass: %s\n", why);
  std::fprintf(stderr,
               "usage: gen_lowpass --taps N --rate MHz --pass MHz --stop MHz [--peak P] "
               "out.coef\n");
  std::exit(2);
}

double number_arg(const char* text, const char* name) {
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !std::isfinite(v))
    usage((std::string("bad number for ") + name).c_str());
  return v;
}

std::string base_name(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

Design parse(int argc, char** argv) {
  Design d;
  d.command = "gen_lowpass";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--", 0) != 0) {
      if (!d.out.empty()) usage("more than one output file");
      d.out = a;
      continue;
    }
    if (i + 1 >= argc) usage(("missing value after " + a).c_str());
    const char* v = argv[++i];
    d.command += " " + a + " " + v;
    if (a == "--taps") {
      double t = number_arg(v, "--taps");
      if (t != std::floor(t) || t < 3 || t > 512) usage("--taps must be a whole number 3..512");
      d.taps = static_cast<int>(t);
    } else if (a == "--rate") {
      d.rate = number_arg(v, "--rate");
    } else if (a == "--pass") {
      d.pass = number_arg(v, "--pass");
    } else if (a == "--stop") {
      d.stop = number_arg(v, "--stop");
    } else if (a == "--peak") {
      double p = number_arg(v, "--peak");
      if (p != std::floor(p) || p < 1 || p > 32767) usage("--peak must be a whole number 1..32767");
      d.peak = static_cast<int>(p);
    } else {
      usage(("unknown option " + a).c_str());
    }
  }
  if (d.out.empty()) usage("no output file");
  d.command += " " + base_name(d.out);
  if (d.taps == 0) usage("--taps is required");
  if (!(d.rate > 0)) usage("--rate must be positive");
  if (!(d.pass > 0 && d.pass < d.stop && d.stop < d.rate / 2))
    usage("need 0 < --pass < --stop < rate/2");
  return d;
}

// Zeroth-order modified Bessel function of the first kind, by its series.
double bessel_i0(double x) {
  double sum = 1, term = 1, half = x / 2;
  for (int k = 1; k < 100; ++k) {
    term *= (half / k) * (half / k);
    sum += term;
    if (term < sum * 1e-17) break;
  }
  return sum;
}

// Kaiser's estimate of the stopband attenuation (dB) that `taps` taps reach
// over a transition band of `width` (fraction of the sample rate), and the
// window shape parameter for that attenuation.
double kaiser_attenuation(int taps, double width) {
  return 2.285 * (taps - 1) * 2 * kPi * width + 7.95;
}

double kaiser_beta(double atten) {
  if (atten > 50) return 0.1102 * (atten - 8.7);
  if (atten >= 21) return 0.5842 * std::pow(atten - 21, 0.4) + 0.07886 * (atten - 21);
  return 0;
}

// Ideal lowpass taps for cutoff `fc` (fraction of the sample rate) under a
// Kaiser window; the second half mirrors the first so that the quantised taps
// are exactly symmetric.
std::vector<double> windowed_sinc(int taps, double fc, double beta) {
  std::vector<double> h(taps);
  double mid = (taps - 1) / 2.0;
  double norm = bessel_i0(beta);
  for (int n = 0; n <= (taps - 1) / 2; ++n) {
    double t = n - mid;
    double ideal = t == 0 ? 2 * fc : std::sin(2 * kPi * fc * t) / (kPi * t);
    double r = t / mid;
    double window = bessel_i0(beta * std::sqrt(std::max(0.0, 1 - r * r))) / norm;
    h[n] = h[taps - 1 - n] = ideal * window;
  }
  return h;
}

std::vector<int> quantise(const std::vector<double>& h, int peak) {
  double largest = 0;
  for (double v : h) largest = std::max(largest, std::fabs(v));
  std::vector<int> q(h.size());
  for (size_t i = 0; i < h.size(); ++i) q[i] = static_cast<int>(std::lround(h[i] / largest * peak));
  return q;
}

double magnitude(const std::vector<int>& q, double f) {
  double re = 0, im = 0;
  for (size_t n = 0; n < q.size(); ++n) {
    re += q[n] * std::cos(2 * kPi * f * n);
    im -= q[n] * std::sin(2 * kPi * f * n);
  }
  return std::hypot(re, im);
}

struct Response {
  double ripple_db = 0;       // peak-to-peak over the passband
  double attenuation_db = 0;  // worst stopband level below the DC gain
};

Response measure(const std::vector<int>& q, double pass, double stop) {
  const int kPoints = 4096;
  double dc = magnitude(q, 0);
  double lo = dc, hi = dc, worst_stop = 0;
  for (int i = 0; i <= kPoints; ++i) {
    double f = 0.5 * i / kPoints;
    double m = magnitude(q, f);
    if (f <= pass) {
      lo = std::min(lo, m);
      hi = std::max(hi, m);
    } else if (f >= stop) {
      worst_stop = std::max(worst_stop, m);
    }
  }
  Response r;
  r.ripple_db = 20 * std::log10(hi / lo);
  r.attenuation_db = -20 * std::log10(std::max(worst_stop, 1e-12) / dc);
  return r;
}

std::string design_path(const std::string& coef_path) {
  size_t slash = coef_path.rfind('/');
  size_t dot = coef_path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
    return coef_path.substr(0, dot) + ".design";
  return coef_path + ".design";
}

void write_or_die(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f || std::fputs(text.c_str(), f) < 0 || std::fclose(f) != 0) {
    std::fprintf(stderr, "gen_lowpass: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

std::string format(const char* fmt, double a, double b = 0) {
  char buf[200];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  return buf;
}

}  // namespace

int main(int argc, char** argv) {
  Design d = parse(argc, argv);
  double pass = d.pass / d.rate, stop = d.stop / d.rate;
  double fc = (pass + stop) / 2;
  double predicted = kaiser_attenuation(d.taps, stop - pass);
  double beta = kaiser_beta(predicted);
  std::vector<int> q = quantise(windowed_sinc(d.taps, fc, beta), d.peak);
  Response r = measure(q, pass, stop);

  long sum = 0;
  int largest = 0;
  for (int v : q) {
    sum += v;
    largest = std::max(largest, std::abs(v));
  }
  const std::string design = design_path(d.out);

  std::string coef = "# " + std::to_string(d.taps) + "-tap windowed-sinc lowpass; design in " +
                     base_name(design) + "\n";
  for (int v : q) coef += std::to_string(v) + "\n";
  write_or_die(d.out, coef);

  std::string text;
  text += "# Design of " + base_name(d.out) + ", written by tools/gen_lowpass:\n";
  text += "#   " + d.command + "\n";
  text += "taps                  " + std::to_string(d.taps) + " (" +
          (d.taps % 2 ? "odd" : "even") + " symmetric, linear phase)\n";
  text += format("sample rate           %g MHz (the rate the filter runs at)\n", d.rate);
  text += format("passband              0 to %g MHz (%.4f of the sample rate)\n", d.pass, pass);
  text += format("stopband              %g MHz to half the sample rate (%.4f)\n", d.stop, stop);
  text += format("cutoff                %.4f of the sample rate\n", fc);
  text += format("window                Kaiser, beta %.3f\n", beta);
  text += "largest tap           " + std::to_string(largest) + "\n";
  text += "sum of taps           " + std::to_string(sum) + "\n";
  text += format("passband ripple       %.4f dB peak to peak (measured, quantised taps)\n",
                 r.ripple_db);
  text += format("stopband attenuation  %.1f dB below the DC gain (measured, quantised taps)\n",
                 r.attenuation_db);
  write_or_die(design, text);
  return 0;
}
