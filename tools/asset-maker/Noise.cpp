#include "Noise.h"

#include <algorithm>
#include <cmath>
#include <numeric>

std::uint64_t Random::Next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t mixed = state_;
    mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ULL;
    mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBULL;
    return mixed ^ (mixed >> 31);
}

double Random::Uniform() {
    return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
}

int Random::Below(int count) {
    return static_cast<int>(Next() % static_cast<std::uint64_t>(count));
}

Noise::Noise(std::uint64_t seed) {
    std::array<std::uint8_t, 256> values{};
    std::iota(values.begin(), values.end(), 0);
    // Fisher-Yates by hand: std::shuffle's use of the generator is not fixed by the standard.
    Random random(seed);
    for (int index = 255; index > 0; --index) {
        std::swap(values[index], values[random.Below(index + 1)]);
    }
    for (int index = 0; index < 512; ++index) {
        permutation_[index] = values[index & 255];
    }
}

double Noise::Gradient(int hash, double dx, double dy) const {
    // Eight directions, the diagonals shortened so that every direction weighs the same.
    static constexpr double Diagonal = 0.70710678118654752;
    static constexpr double Directions[8][2] = {
        {1, 0},
        {-1, 0},
        {0, 1},
        {0, -1},
        {Diagonal, Diagonal},
        {-Diagonal, Diagonal},
        {Diagonal, -Diagonal},
        {-Diagonal, -Diagonal},
    };
    const double* direction = Directions[hash & 7];
    return direction[0] * dx + direction[1] * dy;
}

double Noise::At(double x, double y) const {
    const double floorX = std::floor(x);
    const double floorY = std::floor(y);
    const int cellX = static_cast<int>(static_cast<long long>(floorX) & 255);
    const int cellY = static_cast<int>(static_cast<long long>(floorY) & 255);
    const double dx = x - floorX;
    const double dy = y - floorY;
    const auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    const double u = fade(dx);
    const double v = fade(dy);
    const int a = permutation_[cellX] + cellY;
    const int b = permutation_[cellX + 1] + cellY;
    const double n00 = Gradient(permutation_[a], dx, dy);
    const double n10 = Gradient(permutation_[b], dx - 1, dy);
    const double n01 = Gradient(permutation_[a + 1], dx, dy - 1);
    const double n11 = Gradient(permutation_[b + 1], dx - 1, dy - 1);
    // Plain gradient noise stays within about +-0.71; scale it to about +-1.
    return 1.41 * Mix(Mix(n00, n10, u), Mix(n01, n11, u), v);
}

double Noise::Fractal(double x, double y, int octaves, double gain) const {
    double sum = 0.0;
    double amplitude = 1.0;
    double total = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * At(x, y);
        total += amplitude;
        amplitude *= gain;
        // Turning each octave a little keeps the lattice from lining up into visible rows.
        const double turnedX = 1.6 * x - 1.2 * y + 17.3;
        const double turnedY = 1.2 * x + 1.6 * y - 8.9;
        x = turnedX;
        y = turnedY;
    }
    return sum / total;
}

double Noise::Ridged(double x, double y, int octaves) const {
    double sum = 0.0;
    double amplitude = 1.0;
    double total = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * (1.0 - std::abs(At(x, y)));
        total += amplitude;
        amplitude *= 0.5;
        const double turnedX = 1.6 * x - 1.2 * y + 5.1;
        const double turnedY = 1.2 * x + 1.6 * y + 31.7;
        x = turnedX;
        y = turnedY;
    }
    return sum / total;
}

double Clamp01(double value) {
    return std::clamp(value, 0.0, 1.0);
}

double SmoothStep(double edge0, double edge1, double value) {
    const double t = Clamp01((value - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

double Mix(double from, double to, double amount) {
    return from + (to - from) * amount;
}
