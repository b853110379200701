#include "runtime/sync_trigger.h"

#include "runtime/clock.h"
#include "runtime/music_player.h"
#include "runtime/timeline.h"
#include "runtime/trigger_positions.h"

void SyncTriggerTable::init(int capacity_) {
    count = 0;
    capacity = capacity_;
    fired_now = false;
    int n = capacity > 0 ? capacity : 0;
    orders = new int[n]();
    rows = new int[n]();
    durations = new int[n]();
    start_ms = new int[n]();
    end_ms = new int[n]();
    fired = new bool[n]();
}

SyncTriggerTable& SyncTriggerTable::push(int order, int row, int duration_ms) {
    if (count < capacity) {
        orders[count] = order;
        rows[count] = row;
        durations[count] = duration_ms;
    }
    ++count;
    return *this;
}

float SyncTriggerTable::update() {
    int row = music_player.current_row();
    int order = music_player.current_order();
    int now = seconds_to_frame_ms(demo_clock.seconds);
    fired_now = false;
    int n = count < capacity ? count : capacity;
    for (int i = 0; i < n; ++i) {
        if (orders[i] == order && rows[i] == row && !fired[i]) {
            fired_now = true;
            fired[i] = true;
            start_ms[i] = now;
            end_ms[i] = now + durations[i];
        }
    }
    float sum = 0.0f;
    for (int i = 0; i < n; ++i)
        if (fired[i])
            sum = sum + (1.0f - ramp_int(now, start_ms[i], end_ms[i]));
    return sum > 1.0f ? 1.0f : sum;
}

void SyncTriggerTable::release() {
    delete[] orders;
    delete[] rows;
    delete[] durations;
    delete[] start_ms;
    delete[] end_ms;
    delete[] fired;
    orders = rows = durations = start_ms = end_ms = nullptr;
    fired = nullptr;
}

void push_trigger_list(SyncTriggerTable& table, const TriggerList& list) {
    for (int i = 0; i < list.count; ++i)
        table.push(list.positions[i].order, list.positions[i].row, list.duration_ms);
}
