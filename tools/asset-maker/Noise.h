#pragma once

#include <array>
#include <cstdint>

// Pseudo-random numbers from a fixed seed (SplitMix64), so that the same seed paints the same
// picture with any compiler and standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next();
    // Uniform in [0, 1).
    double Uniform();
    double Uniform(double low, double high) { return low + (high - low) * Uniform(); }
    // Uniform in [0, count); count > 0.
    int Below(int count);

private:
    std::uint64_t state_;
};

// Gradient noise on the plane, roughly within -1..1, one independent field per seed.
class Noise {
public:
    explicit Noise(std::uint64_t seed);

    double At(double x, double y) const;
    // Octaves at doubling frequencies, each `gain` times as strong as the one before, scaled
    // back to roughly -1..1.
    double Fractal(double x, double y, int octaves, double gain = 0.5) const;
    // Sharp-crested variant (1 - |noise|): ridges for lightning-lit cloud edges and dunes.
    double Ridged(double x, double y, int octaves) const;

private:
    double Gradient(int hash, double dx, double dy) const;

    std::array<std::uint8_t, 512> permutation_{};
};

double Clamp01(double value);
double SmoothStep(double edge0, double edge1, double value);
double Mix(double from, double to, double amount);
