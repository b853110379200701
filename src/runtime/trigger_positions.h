// Where the music accents fall: the (order, row) positions each scene's trigger table listens
// for, in push order. The scenes push from these tables and the soundtrack composer places its
// accents on them, so picture and sound cannot drift apart.
#pragma once

struct TriggerPosition {
    int order;
    int row;
};

struct TriggerList {
    const char* owner; // e.g. "scene4"
    int scene;         // timeline number of the owning scene (1-based)
    int duration_ms;   // pulse length of every trigger in the list
    int count;
    const TriggerPosition* positions;
};

extern const TriggerList scene3_trigger_list;
extern const TriggerList scene4_trigger_list;
extern const TriggerList scene5_trigger_list;
extern const TriggerList scene6_trigger_list;
extern const TriggerList scene8_spark_trigger_list;
extern const TriggerList scene8_camera_trigger_list;
extern const TriggerList scene9_trigger_list;

// Every list above, for the composer and the tests.
constexpr int trigger_list_count = 7;
extern const TriggerList* const trigger_lists[trigger_list_count];
