#pragma once

// The two clocks that the automatic calibration compares: the samples the capture device has
// delivered and the system's milliseconds, both counters that wrap at 2^32; and the rate the
// device was asked for. The tuner reads them from its capture device and the system timer; a test
// can put a card of any real rate in their place.
class SampleClock {
public:
    virtual ~SampleClock() = default;

    virtual unsigned Samples() = 0;
    virtual unsigned Milliseconds() = 0;
    virtual int NominalRate() = 0;
};
