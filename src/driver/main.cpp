// main.cpp — cmd7420 controlfile
#include "diag.h"
#include "driver/driver.h"

int main(int argc, char** argv) { end_program(run_program(argc, argv)); }
