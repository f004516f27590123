// The kernel every processor runs: 4-lane vectors, SSE2 on x86-64.
#include "flights/FftKernelBody.h"

constinit const FftKernel kBaselineFftKernel = kernelOf<4>();
