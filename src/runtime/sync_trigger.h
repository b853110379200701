// Music-synchronised trigger table: fires once per (order, row) and yields a decaying pulse.
// A row that was heard between two updates fires on the later one, so slow frames lose none.
#pragma once

struct SyncTriggerTable {
    bool fired_now = false;
    int capacity = 0;
    int count = 0;
    int* orders = nullptr;
    int* rows = nullptr;
    int* durations = nullptr;
    int* start_ms = nullptr;
    int* end_ms = nullptr;
    bool* fired = nullptr;
    // Position-timeline index of the row heard at the previous update, -1 before the first:
    // rows that passed between two updates still fire, on the later one.
    int last_index = -1;
    int last_ms = 0; // demo time of the previous update

    void init(int capacity);
    SyncTriggerTable& push(int order, int row, int duration_ms);
    float update();
    bool fired_this_frame() const { return fired_now; }
    void release();
};

struct TriggerList;
// Pushes every position of a list with the list's duration, in list order.
void push_trigger_list(SyncTriggerTable& table, const TriggerList& list);
