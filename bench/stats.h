// The bench's clock, and what it makes of a set of samples.
#pragma once

#include <vector>

double NowMs();  // the performance counter, in milliseconds

struct Summary {
    double median;
    double p99;  // nearest rank
    double max;
};

// Of at least one value.
Summary Summarise(std::vector<double> values);
double Median(std::vector<double> values);
