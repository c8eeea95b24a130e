// OpenWindow: an open in-memory dataset seen through one recording link, log cleared.
#pragma once

#include "data/DataSource.h"
#include "tests/data/support/MemoryDataSet.h"
#include "tests/data/support/RecordingLink.h"

namespace qelvor::test {

// A dataset of `rows` records with one link asking for `buffer` records, opened.
struct OpenWindow {
    OpenWindow(int rows, int buffer) : dataSet(rows)
    {
        source.SetDataSet(&dataSet);
        link.SetBufferCount(buffer);
        link.SetDataSource(&source);
        dataSet.Open();
        link.ClearLog();
    }
    MemoryDataSet dataSet;
    TDataSource source{"Src"};
    RecordingLink link;
};

}  // namespace qelvor::test
