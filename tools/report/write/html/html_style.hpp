#pragma once

namespace callbench {

// The page's own look; the charts carry theirs in their declarations.
inline constexpr const char* kPageStyle = R"css(
:root { color-scheme: light; --ink: #1f2933; --muted: #616e7c; --line: #e4e7eb; --card: #ffffff;
        --page: #f5f7fa; --accent: #3b5bdb; }
* { box-sizing: border-box; }
body { margin: 0; background: var(--page); color: var(--ink);
       font: 15px/1.5 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif; }
main { max-width: 1000px; margin: 0 auto; padding: 28px 24px 48px; }
header h1 { font-size: 24px; font-weight: 650; margin: 0 0 6px; overflow-wrap: anywhere; }
h2 { font-size: 18px; font-weight: 620; margin: 0 0 4px; }
h3 { font-size: 14px; font-weight: 600; margin: 0 0 8px; color: var(--muted); }
.preamble p { margin: 0 0 2px; color: var(--muted); }
section { background: var(--card); border: 1px solid var(--line); border-radius: 10px;
          padding: 18px 20px; margin: 18px 0; box-shadow: 0 1px 2px rgba(31, 41, 51, 0.04); }
.scroll { overflow-x: auto; }
table { border-collapse: collapse; font-variant-numeric: tabular-nums; font-size: 13.5px; }
th, td { padding: 5px 10px; text-align: right; white-space: nowrap; }
th:first-child, td:first-child { text-align: left; }
th.verdict, td.verdict { text-align: left; white-space: normal; min-width: 18ch; }
thead th { font-weight: 600; color: var(--muted); border-bottom: 2px solid var(--line); vertical-align: bottom;
           white-space: normal; }
tbody tr:nth-child(even) { background: #f8f9fb; }
tbody td:first-child { font-weight: 600; }
ul.notes { list-style: none; padding: 0; margin: 18px 0; }
ul.notes li { background: #fff8e6; border: 1px solid #f5d78e; border-left: 4px solid #f59f00;
              border-radius: 6px; padding: 8px 12px; margin: 8px 0; }
.caption { color: var(--muted); margin: 0 0 14px; font-size: 13.5px; max-width: 78ch; }
.plot { overflow-x: auto; }
.plot.failed { color: #c92a2a; font-weight: 600; }
.conditions ul { margin: 6px 0 0; padding-left: 18px; color: var(--muted); font-size: 13.5px; }
.conditions li { overflow-wrap: anywhere; }
)css";

}  // namespace callbench
