!!ARBvp1.0
# Light shaft of the school scene ("Lawica"), drawn by the boids effect moved to the shaft's foot,
# scaled to its length and blended with (source alpha, one): light added to the picture.
# In:  vertex.position (y from 0 at the foot to 1 at the top), vertex.texcoord[0] (the picture).
# Out: the position, the picture's coordinates, and a colour that tints the light and fades it
#      out near the foot, where a fish cuts the shaft short.
ATTRIB position = vertex.position;
ATTRIB uv = vertex.texcoord[0];
PARAM mvp[4] = { state.matrix.mvp };
PARAM tint = { 0.55, 0.78, 0.86, 1.0 };
PARAM ramp = { 1.6, 1.0, 0.0, 0.0 };
TEMP fade;
DP4 result.position.x, mvp[0], position;
DP4 result.position.y, mvp[1], position;
DP4 result.position.z, mvp[2], position;
DP4 result.position.w, mvp[3], position;
MOV result.texcoord[0], uv;
MUL fade.x, position.y, ramp.x;
MIN fade.x, fade.x, ramp.y;
MAX fade.x, fade.x, ramp.z;
MUL result.color, tint, fade.x;
END
