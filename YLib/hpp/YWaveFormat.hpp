#pragma once

// A PCM capture format: samples per second, bits per sample, channels.
struct YWaveFormat {
    int sampleRate = 11025;
    int bitsPerSample = 8;
    int channels = 1;
};
