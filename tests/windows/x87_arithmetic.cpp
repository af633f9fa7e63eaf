// Float arithmetic compiled for the x87 unit (-mfpmath=387): the check of the
// plug-in's float code must reject it.
float ScaleAndAdd(float a, float b) { return a * b + a; }
