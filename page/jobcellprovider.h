#pragma once

#include "page/cellinfoprovider.h"

struct SharedState;

// The page's answer to the job list's cell requests: colours by row parity and the texts and
// bars of the job at the row, in the output type chosen now. A row outside the job list
// keeps the reset record.
class JobCellProvider : public CellInfoProvider
{
public:
    explicit JobCellProvider(const SharedState &state);

    void GetCellInfo(CellInfo &info) override;

    static constexpr ColorRef ProgressColor = Rgb(154, 30, 28);

private:
    const SharedState &m_state;
};
