// A wall panel in triangles with a beam along its top that runs on as a cantilever.
Point(1) = {0, 0, 0, 0.5};
Point(2) = {4, 0, 0, 0.5};
Point(3) = {4, 3, 0, 0.5};
Point(4) = {0, 3, 0, 0.5};
Point(5) = {6, 3, 0, 0.5};
Line(1) = {1, 2};
Line(2) = {2, 3};
Line(3) = {3, 4};
Line(4) = {4, 1};
Line(5) = {3, 5};
Curve Loop(1) = {1, 2, 3, 4};
Plane Surface(1) = {1};
Physical Surface("wall") = {1};
Physical Curve("top beams") = {3, 5};
Physical Curve("base") = {1};
Physical Point("tip") = {5};
