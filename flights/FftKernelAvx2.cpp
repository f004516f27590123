// The kernel for processors with AVX2 and FMA: 8-lane vectors. Built with
// those instructions enabled for this file only, but without fused
// multiply-adds, so it rounds as the baseline does; Fft.cpp calls it only
// after the processor has confirmed both.
#include "flights/FftKernelBody.h"

constinit const FftKernel kAvx2FmaFftKernel = kernelOf<8>();
