#pragma once

// The chart line that shows one measurement. The record that owns it
// destroys it; the implementation detaches the line from its chart first.
class IChartSeries
{
public:
    virtual ~IChartSeries() = default;
    // Shows or hides the line; a hidden line keeps its points.
    virtual void SetVisible(bool AVisible) = 0;
};
