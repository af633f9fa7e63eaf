"""Short names of the thirty commands, for the benchmark tables
(scripts/bench.sh and bench/ab_table.py), by command number."""

NAMES = {1: "X<0", 2: "X=0", 3: "X>0", 4: "Y<0", 5: "Y=0", 6: "Y>0", 7: "Z<0", 8: "Z=0", 9: "Z>0",
         10: "5+ points", 11: "4 points", 12: "3 points", 13: "2 points", 14: "Edge", 15: "Ridge",
         16: "Vertex -> Face", 17: "Vertex => Face", 18: "Line => Vertex", 19: "Face => Vertex",
         20: "Vertex -> Line", 21: "Vertex => Line", 22: "Face => Line", 23: "2Line -> Face",
         24: "Face => Dup Vertex", 25: "Line => Dup Vertex", 26: "Clear vertex", 27: "Clear face",
         28: "Clear line", 29: "Vertex by index", 30: "Face by index"}
