// The declaration as a host sees it: the definitions add_param receives, the count, the flag
// and the diagnostic lines.
#include "params/declare.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "fake_host.h"
#include "params/param_table.h"

namespace jf {
namespace {

using testing::FakeHost;

// The parameter table as published, rows 1 to 210: index, disk id, kind, name (a group end
// shows the group it closes), nesting depth, default, slider range, valid range, precision,
// supervised. Transcribed from the published table, not produced by this code.
constexpr const char* kPublishedTable = R"(
| 1 | 1 | group start | "Basic Blocks" | 0 | - | - | - | - | - |
| 2 | 2 | checkbox | "Enable Basic Blocks" | 1 | on | - | - | - | yes |
| 3 | 3 | float slider | "Number Of Blocks" | 1 | 50 | 1 to 100 | 1 to 100000 | 0 | - |
| 4 | 4 | float slider | "Maximum Horizontal Offset" | 1 | 300 | -1000 to 1000 | -100000 to 100000 | 0 | - |
| 5 | 5 | float slider | "Maximum Vertical Offset" | 1 | 0 | -1000 to 1000 | -100000 to 100000 | 0 | - |
| 6 | 6 | float slider | "Position Random Seed" | 1 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 7 | 7 | group start | "Block Size" | 1 | - | - | - | - | - |
| 8 | 8 | float slider | "Minimum Width" | 2 | 50 | 1 to 100 | 1 to 100000 | 0 | - |
| 9 | 9 | float slider | "Width Random Range" | 2 | 300 | 0 to 1000 | 0 to 100000 | 0 | - |
| 10 | 10 | float slider | "Width Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 11 | 11 | float slider | "Minimum Height" | 2 | 25 | 1 to 1000 | 1 to 100000 | 0 | - |
| 12 | 12 | float slider | "Height Random Range" | 2 | 25 | 0 to 1000 | 0 to 100000 | 0 | - |
| 13 | 13 | float slider | "Height Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 14 | 14 | group end | (end of "Block Size") | 1 | - | - | - | - | - |
| 15 | 15 | popup | "Blend Mode" | 1 | 3 "In Front" | - | - | - | - |
| 16 | 16 | group end | (end of "Basic Blocks") | 0 | - | - | - | - | - |
| 17 | 17 | group start | "Pixel Sorter" | 0 | - | - | - | - | - |
| 18 | 18 | checkbox | "Enable Pixel Sorter" | 1 | off | - | - | - | yes |
| 19 | 19 | angle | "Sort Direction" | 1 | 0° | - | - | - | - |
| 20 | 20 | popup | "Activation Function" | 1 | 1 "Luma" | - | - | - | - |
| 21 | 21 | checkbox | "Enable Inverse Activation" | 1 | off | - | - | - | - |
| 22 | 22 | popup | "Primary Sort Criteria" | 1 | 1 "Luma" | - | - | - | - |
| 23 | 23 | popup | "Secondary Sort Criteria" | 1 | 4 "Maximum" | - | - | - | - |
| 24 | 24 | group start | "Sort Blocks" | 1 | - | - | - | - | - |
| 25 | 25 | float slider | "Block Size" | 2 | 1 | 1 to 100 | 1 to 1000 | 0 | - |
| 26 | 26 | float slider | "Minimum Sorted Blocks" | 2 | 0 | 0 to 100 | 0 to 1000 | 0 | - |
| 27 | 27 | checkbox | "Use Maximum Sorted Blocks" | 2 | off | - | - | - | yes |
| 28 | 28 | float slider | "Maximum Sorted Blocks" | 2 | 0 | 0 to 100 | 0 to 1000 | 0 | - |
| 29 | 29 | group end | (end of "Sort Blocks") | 1 | - | - | - | - | - |
| 30 | 30 | percent | "Minimum Threshold" | 1 | 25% | 0 to 100 | 0 to 100 | - | - |
| 31 | 31 | percent | "Maximum Threshold" | 1 | 75% | 0 to 100 | 0 to 100 | - | - |
| 32 | 32 | percent | "Convolution Coefficient" | 1 | 25% | 0 to 100 | 0 to 100 | - | - |
| 33 | 33 | checkbox | "Inverse Direction" | 1 | on | - | - | - | - |
| 34 | 34 | popup | "Method" | 1 | 1 "Intervals" | - | - | - | yes |
| 35 | 35 | popup | "Output" | 1 | 1 "Full" | - | - | - | - |
| 36 | 36 | group end | (end of "Pixel Sorter") | 0 | - | - | - | - | - |
| 37 | 37 | group start | "Elements Scatter" | 0 | - | - | - | - | - |
| 38 | 38 | checkbox | "Enable Elements Scatter" | 1 | off | - | - | - | yes |
| 39 | 39 | group start | "Circle" | 1 | - | - | - | - | - |
| 40 | 40 | checkbox | "Enable Circle" | 2 | off | - | - | - | yes |
| 41 | 41 | float slider | "Number of Shapes" | 2 | 10 | 1 to 1000 | 1 to 100000 | 0 | - |
| 42 | 42 | float slider | "Position Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 43 | 43 | float slider | "Stroke Width" | 2 | 2 | 0 to 100 | 0 to 100000 | 0 | - |
| 44 | 44 | float slider | "Radius" | 2 | 5 | 0 to 1000 | 0 to 100000 | 0 | - |
| 45 | 45 | group start | "Random Radius" | 2 | - | - | - | - | - |
| 46 | 46 | checkbox | "Enable Random Radius" | 3 | off | - | - | - | yes |
| 47 | 47 | float slider | "Radius Random Range" | 3 | 0 | 0 to 1000 | 0 to 100000 | 0 | - |
| 48 | 48 | float slider | "Radius Random Seed" | 3 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 49 | 49 | group end | (end of "Random Radius") | 2 | - | - | - | - | - |
| 50 | 50 | group start | "Color" | 2 | - | - | - | - | - |
| 51 | 51 | percent | "Opacity" | 3 | 50% | 0 to 100 | 0 to 100 | - | - |
| 52 | 52 | color | "Color" | 3 | (255, 255, 255) | - | - | - | - |
| 53 | 53 | checkbox | "Override Blend Mode" | 3 | off | - | - | - | yes |
| 54 | 54 | popup | "Blend Mode" | 3 | 3 "In Front" | - | - | - | - |
| 55 | 55 | group end | (end of "Color") | 2 | - | - | - | - | - |
| 56 | 56 | group end | (end of "Circle") | 1 | - | - | - | - | - |
| 57 | 57 | group start | "Square" | 1 | - | - | - | - | - |
| 58 | 58 | checkbox | "Enable Square" | 2 | on | - | - | - | yes |
| 59 | 59 | float slider | "Number of Shapes" | 2 | 10 | 1 to 1000 | 1 to 100000 | 0 | - |
| 60 | 60 | float slider | "Position Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 61 | 61 | float slider | "Stroke Width" | 2 | 2 | 0 to 100 | 0 to 100000 | 0 | - |
| 62 | 62 | float slider | "Size" | 2 | 50 | 0 to 1000 | 0 to 100000 | 0 | - |
| 63 | 63 | group start | "Random Size" | 2 | - | - | - | - | - |
| 64 | 64 | checkbox | "Enable Random Size" | 3 | off | - | - | - | yes |
| 65 | 65 | float slider | "Size Random Range" | 3 | 0 | 0 to 1000 | 0 to 100000 | 0 | - |
| 66 | 66 | float slider | "Size Random Seed" | 3 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 67 | 67 | group end | (end of "Random Size") | 2 | - | - | - | - | - |
| 68 | 68 | group start | "Color" | 2 | - | - | - | - | - |
| 69 | 69 | percent | "Opacity" | 3 | 50% | 0 to 100 | 0 to 100 | - | - |
| 70 | 70 | color | "Color" | 3 | (255, 255, 255) | - | - | - | - |
| 71 | 71 | checkbox | "Override Blend Mode" | 3 | off | - | - | - | yes |
| 72 | 72 | popup | "Blend Mode" | 3 | 3 "In Front" | - | - | - | - |
| 73 | 73 | group end | (end of "Color") | 2 | - | - | - | - | - |
| 74 | 74 | group end | (end of "Square") | 1 | - | - | - | - | - |
| 75 | 75 | group start | "Plus" | 1 | - | - | - | - | - |
| 76 | 76 | checkbox | "Enable Plus" | 2 | off | - | - | - | yes |
| 77 | 77 | float slider | "Number of Shapes" | 2 | 10 | 1 to 1000 | 1 to 100000 | 0 | - |
| 78 | 78 | float slider | "Position Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 79 | 79 | float slider | "Stroke Width" | 2 | 2 | 0 to 100 | 0 to 100000 | 0 | - |
| 80 | 80 | float slider | "Size" | 2 | 50 | 0 to 1000 | 0 to 100000 | 0 | - |
| 81 | 81 | group start | "Random Size" | 2 | - | - | - | - | - |
| 82 | 82 | checkbox | "Enable Random Size" | 3 | off | - | - | - | yes |
| 83 | 83 | float slider | "Size Random Range" | 3 | 0 | 0 to 1000 | 0 to 100000 | 0 | - |
| 84 | 84 | float slider | "Size Random Seed" | 3 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 85 | 85 | group end | (end of "Random Size") | 2 | - | - | - | - | - |
| 86 | 86 | group start | "Color" | 2 | - | - | - | - | - |
| 87 | 87 | percent | "Opacity" | 3 | 50% | 0 to 100 | 0 to 100 | - | - |
| 88 | 88 | color | "Color" | 3 | (255, 255, 255) | - | - | - | - |
| 89 | 89 | checkbox | "Override Blend Mode" | 3 | off | - | - | - | yes |
| 90 | 90 | popup | "Blend Mode" | 3 | 3 "In Front" | - | - | - | - |
| 91 | 91 | group end | (end of "Color") | 2 | - | - | - | - | - |
| 92 | 92 | group end | (end of "Plus") | 1 | - | - | - | - | - |
| 93 | 93 | group start | "X" | 1 | - | - | - | - | - |
| 94 | 94 | checkbox | "Enable X" | 2 | off | - | - | - | yes |
| 95 | 95 | float slider | "Number of Shapes" | 2 | 10 | 1 to 1000 | 1 to 100000 | 0 | - |
| 96 | 96 | float slider | "Position Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 97 | 97 | float slider | "Stroke Width" | 2 | 2 | 0 to 100 | 0 to 100000 | 0 | - |
| 98 | 98 | float slider | "Size" | 2 | 50 | 0 to 1000 | 0 to 100000 | 0 | - |
| 99 | 99 | group start | "Random Size" | 2 | - | - | - | - | - |
| 100 | 100 | checkbox | "Enable Random Size" | 3 | off | - | - | - | yes |
| 101 | 101 | float slider | "Size Random Range" | 3 | 0 | 0 to 1000 | 0 to 100000 | 0 | - |
| 102 | 102 | float slider | "Size Random Seed" | 3 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 103 | 103 | group end | (end of "Random Size") | 2 | - | - | - | - | - |
| 104 | 104 | group start | "Color" | 2 | - | - | - | - | - |
| 105 | 105 | percent | "Opacity" | 3 | 50% | 0 to 100 | 0 to 100 | - | - |
| 106 | 106 | color | "Color" | 3 | (255, 255, 255) | - | - | - | - |
| 107 | 107 | checkbox | "Override Blend Mode" | 3 | off | - | - | - | yes |
| 108 | 108 | popup | "Blend Mode" | 3 | 3 "In Front" | - | - | - | - |
| 109 | 109 | group end | (end of "Color") | 2 | - | - | - | - | - |
| 110 | 110 | group end | (end of "X") | 1 | - | - | - | - | - |
| 111 | 111 | group start | "X-Square" | 1 | - | - | - | - | - |
| 112 | 112 | checkbox | "Enable X-Square" | 2 | off | - | - | - | yes |
| 113 | 113 | float slider | "Number of shapes" | 2 | 10 | 1 to 1000 | 1 to 100000 | 0 | - |
| 114 | 114 | float slider | "Position Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 115 | 115 | float slider | "Stroke Width" | 2 | 2 | 0 to 100 | 0 to 100000 | 0 | - |
| 116 | 116 | float slider | "Size" | 2 | 50 | 0 to 1000 | 0 to 100000 | 0 | - |
| 117 | 117 | group start | "Random Size" | 2 | - | - | - | - | - |
| 118 | 118 | checkbox | "Enable Random Size" | 3 | off | - | - | - | yes |
| 119 | 119 | float slider | "Size Random Range" | 3 | 0 | 0 to 1000 | 0 to 100000 | 0 | - |
| 120 | 120 | float slider | "Size Random Seed" | 3 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 121 | 121 | group end | (end of "Random Size") | 2 | - | - | - | - | - |
| 122 | 122 | group start | "Color" | 2 | - | - | - | - | - |
| 123 | 123 | percent | "Opacity" | 3 | 50% | 0 to 100 | 0 to 100 | - | - |
| 124 | 124 | color | "Color" | 3 | (255, 255, 255) | - | - | - | - |
| 125 | 125 | checkbox | "Override Blend Mode" | 3 | off | - | - | - | yes |
| 126 | 126 | popup | "Blend Mode" | 3 | 3 "In Front" | - | - | - | - |
| 127 | 127 | group end | (end of "Color") | 2 | - | - | - | - | - |
| 128 | 128 | group end | (end of "X-Square") | 1 | - | - | - | - | - |
| 129 | 129 | group start | "Dotted Line" | 1 | - | - | - | - | - |
| 130 | 130 | checkbox | "Enable Dotted Line" | 2 | off | - | - | - | yes |
| 131 | 131 | float slider | "Number of Shapes" | 2 | 10 | 1 to 1000 | 1 to 100000 | 0 | - |
| 132 | 132 | float slider | "Position Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 133 | 133 | float slider | "Dot Size" | 2 | 10 | 0 to 1000 | 0 to 100000 | 0 | - |
| 134 | 134 | float slider | "Space Size" | 2 | 10 | 0 to 1000 | 0 to 100000 | 0 | - |
| 135 | 135 | float slider | "Minimum Number of Dots" | 2 | 30 | 0 to 1000 | 0 to 100000 | 0 | - |
| 136 | 136 | float slider | "Number of Dots Random Range" | 2 | 10 | 0 to 1000 | 0 to 100000 | 0 | - |
| 137 | 137 | float slider | "Number of Dots Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 138 | 138 | group start | "Random Size" | 2 | - | - | - | - | - |
| 139 | 139 | checkbox | "Enable Random Size" | 3 | off | - | - | - | yes |
| 140 | 140 | float slider | "Dot Size Random Range" | 3 | 0 | 0 to 1000 | 0 to 100000 | 0 | - |
| 141 | 141 | float slider | "Space Size Random Range" | 3 | 0 | 0 to 1000 | 0 to 100000 | 0 | - |
| 142 | 142 | float slider | "Dot Size Random Seed" | 3 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 143 | 143 | float slider | "Space Size Random Seed" | 3 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 144 | 144 | group end | (end of "Random Size") | 2 | - | - | - | - | - |
| 145 | 145 | group start | "Color" | 2 | - | - | - | - | - |
| 146 | 146 | percent | "Opacity" | 3 | 50% | 0 to 100 | 0 to 100 | - | - |
| 147 | 147 | color | "Color" | 3 | (255, 255, 255) | - | - | - | - |
| 148 | 148 | checkbox | "Override Blend Mode" | 3 | off | - | - | - | yes |
| 149 | 149 | popup | "Blend Mode" | 3 | 3 "In Front" | - | - | - | - |
| 150 | 150 | group end | (end of "Color") | 2 | - | - | - | - | - |
| 151 | 151 | group end | (end of "Dotted Line") | 1 | - | - | - | - | - |
| 152 | 152 | popup | "Blend Mode" | 1 | 3 "In Front" | - | - | - | - |
| 153 | 153 | group end | (end of "Elements Scatter") | 0 | - | - | - | - | - |
| 154 | 154 | group start | "Blur Blocks" | 0 | - | - | - | - | - |
| 155 | 155 | checkbox | "Enable Blur Blocks" | 1 | off | - | - | - | yes |
| 156 | 156 | float slider | "Blur Radius" | 1 | 10 | 0 to 100 | 0 to 1000 | 0 | - |
| 157 | 157 | float slider | "Number Of Blocks" | 1 | 10 | 0 to 100 | 0 to 100000 | 0 | - |
| 158 | 158 | float slider | "Position Random Seed" | 1 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 159 | 159 | group start | "Block Size" | 1 | - | - | - | - | - |
| 160 | 160 | float slider | "Minimum Width" | 2 | 100 | 0 to 1000 | 0 to 100000 | 0 | - |
| 161 | 161 | float slider | "Width Random Range" | 2 | 50 | 0 to 1000 | 0 to 100000 | 0 | - |
| 162 | 162 | float slider | "Width Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 163 | 163 | float slider | "Minimum Height" | 2 | 50 | 0 to 1000 | 0 to 100000 | 0 | - |
| 164 | 164 | float slider | "Height Random Range" | 2 | 20 | 0 to 1000 | 0 to 100000 | 0 | - |
| 165 | 165 | float slider | "Height Random Seed" | 2 | 1 | 1 to 1000 | 1 to 100000 | 0 | - |
| 166 | 166 | group end | (end of "Block Size") | 1 | - | - | - | - | - |
| 167 | 167 | group end | (end of "Blur Blocks") | 0 | - | - | - | - | - |
| 168 | 168 | group start | "Noise" | 0 | - | - | - | - | - |
| 169 | 169 | checkbox | "Enable Noise" | 1 | off | - | - | - | yes |
| 170 | 170 | float slider | "Frequency" | 1 | 500 | 0 to 1000 | 0 to 100000 | 2 | - |
| 171 | 171 | percent | "Amplitude" | 1 | 100% | 0 to 100 | 0 to 100 | - | - |
| 172 | 172 | float slider | "Octaves" | 1 | 1 | 1 to 100 | 1 to 100 | 0 | - |
| 173 | 173 | percent | "Preserve Frequency" | 1 | 50% | 0 to 100 | 0 to 100 | - | - |
| 174 | 174 | percent | "Preserve Amplitude" | 1 | 50% | 0 to 100 | 0 to 100 | - | - |
| 175 | 175 | color | "Tint" | 1 | (255, 255, 255) | - | - | - | - |
| 176 | 176 | percent | "Tint Contribution" | 1 | 50% | 0 to 100 | 0 to 100 | - | - |
| 177 | 177 | group end | (end of "Noise") | 0 | - | - | - | - | - |
| 178 | 178 | group start | "Warp" | 0 | - | - | - | - | - |
| 179 | 179 | checkbox | "Enable Warp" | 1 | off | - | - | - | yes |
| 180 | 180 | float slider | "Frequency" | 1 | 70 | 0 to 200 | 0 to 100000 | 2 | - |
| 181 | 181 | float slider | "Amplitude" | 1 | 50 | 0 to 1000 | 0 to 100000 | 0 | - |
| 182 | 182 | float slider | "Offset" | 1 | 0 | -1000 to 1000 | -100000 to 100000 | 0 | - |
| 183 | 183 | group end | (end of "Warp") | 0 | - | - | - | - | - |
| 184 | 184 | group start | "Split RGB" | 0 | - | - | - | - | - |
| 185 | 185 | checkbox | "Enable Split RGB" | 1 | off | - | - | - | yes |
| 186 | 193 | group start | "Red Channel" | 1 | - | - | - | - | - |
| 187 | 186 | float slider | "Horizontal Offset" | 2 | 5 | -100 to 100 | -100000 to 100000 | 0 | - |
| 188 | 187 | float slider | "Vertical Offset" | 2 | 0 | -100 to 100 | -100000 to 100000 | 0 | - |
| 189 | 194 | checkbox | "Invert Channel" | 2 | off | - | - | - | - |
| 190 | 195 | checkbox | "Hide Channel" | 2 | off | - | - | - | - |
| 191 | 196 | checkbox | "Flip Horizontal" | 2 | off | - | - | - | - |
| 192 | 197 | checkbox | "Flip Vertical" | 2 | off | - | - | - | - |
| 193 | 198 | group end | (end of "Red Channel") | 1 | - | - | - | - | - |
| 194 | 199 | group start | "Green Channel" | 1 | - | - | - | - | - |
| 195 | 188 | float slider | "Horizontal Offset" | 2 | -5 | -100 to 100 | -100000 to 100000 | 0 | - |
| 196 | 189 | float slider | "Vertical Offset" | 2 | 0 | -100 to 100 | -100000 to 100000 | 0 | - |
| 197 | 200 | checkbox | "Invert Channel" | 2 | off | - | - | - | - |
| 198 | 201 | checkbox | "Hide Channel" | 2 | off | - | - | - | - |
| 199 | 202 | checkbox | "Flip Horizontal" | 2 | off | - | - | - | - |
| 200 | 203 | checkbox | "Flip Vertical" | 2 | off | - | - | - | - |
| 201 | 204 | group end | (end of "Green Channel") | 1 | - | - | - | - | - |
| 202 | 205 | group start | "Blue Channel" | 1 | - | - | - | - | - |
| 203 | 190 | float slider | "Horizontal Offset" | 2 | 0 | -100 to 100 | -100000 to 100000 | 0 | - |
| 204 | 191 | float slider | "Vertical Offset" | 2 | 0 | -100 to 100 | -100000 to 100000 | 0 | - |
| 205 | 206 | checkbox | "Invert Channel" | 2 | off | - | - | - | - |
| 206 | 207 | checkbox | "Hide Channel" | 2 | off | - | - | - | - |
| 207 | 208 | checkbox | "Flip Horizontal" | 2 | off | - | - | - | - |
| 208 | 209 | checkbox | "Flip Vertical" | 2 | off | - | - | - | - |
| 209 | 210 | group end | (end of "Blue Channel") | 1 | - | - | - | - | - |
| 210 | 192 | group end | (end of "Split RGB") | 0 | - | - | - | - | - |
)";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string Number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}

std::string Range(double low, double high) {
  return Number(low) + " to " + Number(high);
}

/// The n-th (1-based) name of a "|"-separated list.
std::string Choice(const char* list, int n) {
  std::istringstream stream(list);
  std::string name;
  for (int i = 0; i < n && std::getline(stream, name, '|'); ++i) {
  }
  return name;
}

/// One line per declared definition, in the published table's columns. Where a definition's
/// current value differs from its default the line says so, which no published row does.
std::vector<std::string> Listing(const std::vector<PF_ParamDef>& defs) {
  std::vector<std::string> lines;
  std::vector<std::string> open;  // names of the groups open at this row
  for (std::size_t i = 0; i < defs.size(); ++i) {
    const PF_ParamDef& d = defs[i];
    std::string kind, name = "\"" + std::string(d.name) + "\"", dflt = "-", slider = "-",
                      valid = "-", precision = "-";
    std::size_t depth = open.size();
    bool valueIsDefault = true;
    switch (d.param_type) {
      case PF_Param_GROUP_START:
        kind = "group start";
        open.push_back(d.name);
        break;
      case PF_Param_GROUP_END:
        kind = "group end";
        // An end row has no name of its own; the listing shows the group it closes.
        if (d.name[0] == '\0') {
          name = "(end of \"" + (open.empty() ? std::string("?") : open.back()) + "\")";
        }
        if (!open.empty()) open.pop_back();
        depth = open.size();
        break;
      case PF_Param_CHECKBOX:
        kind = "checkbox";
        dflt = d.u.bd.dephault == 1 ? "on" : d.u.bd.dephault == 0 ? "off" : "?";
        valueIsDefault = d.u.bd.value == d.u.bd.dephault;
        break;
      case PF_Param_FLOAT_SLIDER:
        kind = "float slider";
        dflt = Number(d.u.fs_d.dephault);
        slider = Range(d.u.fs_d.slider_min, d.u.fs_d.slider_max);
        valid = Range(d.u.fs_d.valid_min, d.u.fs_d.valid_max);
        precision = std::to_string(d.u.fs_d.precision);
        valueIsDefault = d.u.fs_d.value == static_cast<double>(d.u.fs_d.dephault);
        break;
      case PF_Param_FIX_SLIDER:
        kind = d.u.fd.display_flags == PF_ValueDisplayFlag_PERCENT ? "percent" : "fixed slider";
        dflt = Number(d.u.fd.dephault / 65536.0) + "%";
        slider = Range(d.u.fd.slider_min / 65536.0, d.u.fd.slider_max / 65536.0);
        valid = Range(d.u.fd.valid_min / 65536.0, d.u.fd.valid_max / 65536.0);
        valueIsDefault = d.u.fd.value == d.u.fd.dephault;
        break;
      case PF_Param_ANGLE:
        kind = "angle";
        dflt = Number(d.u.ad.dephault / 65536.0) + "°";
        valueIsDefault = d.u.ad.value == d.u.ad.dephault;
        break;
      case PF_Param_COLOR:
        kind = "color";
        dflt = "(" + std::to_string(d.u.cd.dephault.red) + ", " +
               std::to_string(d.u.cd.dephault.green) + ", " + std::to_string(d.u.cd.dephault.blue) +
               ")";
        valueIsDefault = std::memcmp(&d.u.cd.value, &d.u.cd.dephault, sizeof(PF_Pixel)) == 0 &&
                         d.u.cd.dephault.alpha == 255;
        break;
      case PF_Param_POPUP:
        kind = "popup";
        dflt = std::to_string(d.u.pd.dephault) + " \"" +
               Choice(d.u.pd.u.namesptr, d.u.pd.dephault) + "\"";
        valueIsDefault = d.u.pd.value == d.u.pd.dephault;
        break;
      default:
        kind = "type " + std::to_string(d.param_type);
    }
    std::string line = "| " + std::to_string(i + 1) + " | " + std::to_string(d.uu.id) + " | " +
                       kind + " | " + name + " | " + std::to_string(depth) + " | " + dflt + " | " +
                       slider + " | " + valid + " | " + precision + " | " +
                       ((d.flags & PF_ParamFlag_SUPERVISE) ? "yes" : "-") + " |";
    if (!valueIsDefault) line += " value differs from default";
    lines.push_back(line);
  }
  return lines;
}

/// Runs the declaration with its diagnostic lines captured.
PF_Err Declare(FakeHost& host, std::string* printed = nullptr) {
  ::testing::internal::CaptureStdout();
  PF_Err err = DeclareParams(&host.in, &host.out);
  std::string text = ::testing::internal::GetCapturedStdout();
  if (printed != nullptr) *printed = text;
  return err;
}

TEST(ParamDeclaration, DeclaresThePublishedTable) {
  FakeHost host;
  ASSERT_EQ(Declare(host), PF_Err_NONE);

  std::vector<std::string> expected = Lines(kPublishedTable);
  std::vector<std::string> actual = Listing(host.declared);
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]);

  EXPECT_EQ(host.addParamCalls, 210);
  EXPECT_EQ(host.out.num_params, 211);
  EXPECT_EQ(host.global[0], 1);
}

TEST(ParamDeclaration, FlagsCollapseEveryGroupButBasicBlocks) {
  FakeHost host;
  ASSERT_EQ(Declare(host), PF_Err_NONE);
  ASSERT_EQ(host.declared.size(), 210u);

  EXPECT_EQ(host.declared[0].flags, 0x00);  // "Basic Blocks" starts open
  EXPECT_EQ(host.declared[1].flags, 0x60);  // "Enable Basic Blocks", supervised
  for (std::size_t i = 1; i < host.declared.size(); ++i) {
    const PF_ParamDef& d = host.declared[i];
    EXPECT_TRUE(d.flags & PF_ParamFlag_START_COLLAPSED) << "row " << i + 1;
    EXPECT_EQ(d.flags & ~(PF_ParamFlag_START_COLLAPSED | PF_ParamFlag_SUPERVISE), 0);
    if (d.param_type == PF_Param_GROUP_END) {
      EXPECT_EQ(d.flags, 0x20) << "row " << i + 1;
      EXPECT_STREQ(d.name, "") << "row " << i + 1;
    }
  }
}

TEST(ParamDeclaration, WorkedValues) {
  FakeHost host;
  ASSERT_EQ(Declare(host), PF_Err_NONE);
  auto row = [&](ParamId id) -> const PF_ParamDef& { return host.declared[ToIndex(id) - 1]; };

  const PF_FixedSliderDef& opacity = row(ParamId::CircleOpacity).u.fd;
  EXPECT_EQ(opacity.value, 3276800);
  EXPECT_EQ(opacity.dephault, 3276800);
  EXPECT_EQ(opacity.valid_min, 0);
  EXPECT_EQ(opacity.valid_max, 6553600);
  EXPECT_EQ(opacity.slider_min, 0);
  EXPECT_EQ(opacity.slider_max, 6553600);
  EXPECT_EQ(opacity.precision, 1);
  EXPECT_EQ(opacity.display_flags, PF_ValueDisplayFlag_PERCENT);

  const PF_FloatSliderDef& blocks = row(ParamId::BasicBlocksNumberOfBlocks).u.fs_d;
  EXPECT_EQ(blocks.value, 50.0);
  EXPECT_EQ(blocks.dephault, 50.0f);
  EXPECT_EQ(blocks.valid_min, 1.0f);
  EXPECT_EQ(blocks.valid_max, 100000.0f);
  EXPECT_EQ(blocks.slider_min, 1.0f);
  EXPECT_EQ(blocks.slider_max, 100.0f);
  EXPECT_EQ(blocks.precision, 0);
  EXPECT_EQ(blocks.curve_tolerance, 0.05f);

  EXPECT_EQ(row(ParamId::PixelSorterSortDirection).u.ad.dephault, 0);
  EXPECT_STREQ(row(ParamId::EnableBasicBlocks).u.bd.u.nameptr, "");

  for (ParamId id :
       {ParamId::BasicBlocksBlendMode, ParamId::CircleBlendMode, ParamId::SquareBlendMode,
        ParamId::PlusBlendMode, ParamId::XBlendMode, ParamId::XSquareBlendMode,
        ParamId::DottedLineBlendMode, ParamId::ElementsScatterBlendMode}) {
    const PF_PopupDef& popup = row(id).u.pd;
    EXPECT_STREQ(row(id).name, "Blend Mode");
    EXPECT_EQ(popup.num_choices, 40);
    EXPECT_EQ(popup.dephault, 3);
    EXPECT_EQ(popup.value, 3);
    EXPECT_EQ(Choice(popup.u.namesptr, 39), "Divide");
  }
  EXPECT_EQ(row(ParamId::PixelSorterSecondarySortCriteria).u.pd.num_choices, 9);
  EXPECT_STREQ(row(ParamId::PixelSorterSecondarySortCriteria).u.pd.u.namesptr,
               "Luma|Sum|Minimum|Maximum|Red Channel|Green Channel|Blue Channel|Alpha Channel");
  EXPECT_EQ(row(ParamId::PixelSorterMethod).u.pd.num_choices, 3);
  EXPECT_EQ(row(ParamId::PixelSorterOutput).u.pd.num_choices, 6);
}

TEST(ParamDeclaration, PrintsOneDiagnosticLinePerRow) {
  FakeHost host;
  std::string printed;
  ASSERT_EQ(Declare(host, &printed), PF_Err_NONE);

  std::vector<std::string> lines;
  std::istringstream stream(printed);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 210u);
  EXPECT_EQ(lines[0], "1 Basic Blocks 1");
  EXPECT_EQ(lines[1], "2 Enable Basic Blocks 3");
  EXPECT_EQ(lines[15], "16  2");
  EXPECT_EQ(lines[112], "113 Number of shapes 5");
  EXPECT_EQ(lines[209], "210  2");
}

TEST(ParamDeclaration, AddParamFailureStopsAtThatRow) {
  for (int k : {1, 100, 210}) {
    FakeHost host;
    host.failAddParamAt = k;
    host.out.num_params = -7;
    std::string printed;
    EXPECT_EQ(Declare(host, &printed), PF_Err_INTERNAL_STRUCT_DAMAGED) << "row " << k;
    EXPECT_EQ(host.declared.size(), static_cast<std::size_t>(k - 1));
    EXPECT_EQ(host.addParamCalls, k);
    EXPECT_EQ(host.out.num_params, -7);
    EXPECT_EQ(host.global[0], 0);
    EXPECT_EQ(Lines(printed).size(), static_cast<std::size_t>(k));
  }
}

TEST(ParamDeclaration, WithoutGlobalDataStillDeclares) {
  FakeHost host;
  host.out.global_data = nullptr;
  EXPECT_EQ(Declare(host), PF_Err_NONE);
  EXPECT_EQ(host.declared.size(), 210u);
  EXPECT_EQ(host.out.num_params, 211);

  // A handle that holds no block is no place for the flag either.
  FakeHost empty;
  void* noBlock = nullptr;
  empty.out.global_data = &noBlock;
  EXPECT_EQ(Declare(empty), PF_Err_NONE);
  EXPECT_EQ(empty.out.num_params, 211);
}

}  // namespace
}  // namespace jf
