#include "TunerState.hpp"

int waveInDevice = 0;
int inputSource = InputSourceMixerDefault;
int recordingLevel = 64;
int noiseThreshold = 2;
double calibrationRate = 1.0;
double rootFrequency = 440.0;
bool precisePitch = false;
bool fastUpdates = false;
bool autoNote = false;

int inputLevel = 0;
int signalLevel = 0;
double rawFrequency = 0.0;
double measuredFrequency = 0.0;
int cpuLoad = 0;

unsigned char tunerMode = TunerModeGuitar;
bool autoString = true;
int selectedString = 0;
int noteIndex = 0;
int harmonicNumber = 1;
double semitoneDifference = 0.0;

bool analysisBusy = false;
